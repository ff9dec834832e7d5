#include "transport/Envelope.h"

#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"
#include "foundations/TransactionLog.h"

#include <algorithm>

namespace dovra {

namespace {

constexpr int PrefixWidth = 4;
constexpr int MinCipher = 100;
constexpr int MaxCipher = 999;

} // namespace

const char* DescribeEnvelopeError(EnvelopeError error) {
    switch (error) {
    case EnvelopeError::None:
        return "no error";
    case EnvelopeError::LibraryNotLoaded:
        return "the cipher library is not loaded";
    case EnvelopeError::EncryptFailed:
        return "the cipher library could not encrypt the telegram";
    case EnvelopeError::CipherOutOfRange:
        return "the cipher text does not fit a 4-character length prefix";
    case EnvelopeError::MalformedPrefix:
        return "the length prefix is not a count of 1 to 999";
    case EnvelopeError::DecryptFailed:
        return "the cipher library could not decrypt the telegram";
    }
    return "unknown error";
}

std::string LengthPrefix(int count) {
    // Built by insertion: GCC 12 at -O3 warns (-Wrestrict) on "0" + std::to_string wrongly.
    return std::to_string(count).insert(0, 1, '0');
}

std::string FramePlainRequest(std::string_view telegram) {
    return LengthPrefix(CharCount(telegram)) + std::string(telegram);
}

std::string FramePlainAnswer(std::string_view telegram) {
    return LengthPrefix(AnsiLen(telegram)) + std::string(telegram);
}

std::string_view RequestFrame(std::string_view decrypted) {
    if (decrypted.size() < PrefixWidth || !AllDigits(decrypted.substr(0, PrefixWidth))) {
        return {};
    }
    int characters = std::stoi(std::string(decrypted.substr(0, PrefixWidth)));
    size_t end = PrefixWidth;
    for (; characters > 0 && end < decrypted.size(); --characters) {
        end += Cp949CharLength(decrypted, end);
    }
    return characters > 0 ? std::string_view{} : decrypted.substr(0, end);
}

EnvelopeError EncryptToWire(const CipherLibrary& cipher, const std::string& plain, int bufferSize,
                            std::string& wire) {
    if (!cipher.IsLoaded()) {
        return EnvelopeError::LibraryNotLoaded;
    }
    std::string out(static_cast<size_t>(bufferSize), ' ');
    if (cipher.Encrypt(plain, out) != 0) {
        return EnvelopeError::EncryptFailed;
    }
    std::string_view trimmed = TrimSpaces(out);
    if (trimmed.empty()) {
        return EnvelopeError::EncryptFailed;
    }
    std::string_view text = trimmed.substr(0, trimmed.size() - 1);
    if (static_cast<int>(text.size()) < MinCipher || static_cast<int>(text.size()) > MaxCipher) {
        return EnvelopeError::CipherOutOfRange;
    }
    wire = LengthPrefix(static_cast<int>(text.size())) + std::string(text);
    return EnvelopeError::None;
}

EnvelopeError DecryptToBuffer(const CipherLibrary& cipher, const std::string& cipherText, int bufferSize,
                              std::string& decrypted) {
    if (!cipher.IsLoaded()) {
        return EnvelopeError::LibraryNotLoaded;
    }
    std::string out(static_cast<size_t>(bufferSize), ' ');
    if (cipher.Decrypt(cipherText, out) != 0) {
        return EnvelopeError::DecryptFailed;
    }
    decrypted = std::move(out);
    return EnvelopeError::None;
}

SealedRequest SealRequest(const Exchange& exchange, std::string_view telegram,
                          const EnvelopeContext& context) {
    SealedRequest sealed;
    std::string plain = FramePlainRequest(telegram);
    sealed.error = EncryptToWire(context.cipher, plain, exchange.encryptBuffer, sealed.wire);
    if (sealed.error != EnvelopeError::None) {
        return sealed;
    }
    size_t prefix = plain.size() - telegram.size();
    size_t from = std::min(plain.size(), prefix + static_cast<size_t>(exchange.hiddenFrom));
    size_t width = std::min(plain.size() - from, static_cast<size_t>(exchange.hiddenWidth));
    sealed.plain = plain.replace(from, width, width, '*');
    sealed.logged = LogTelegram(exchange.logTag, sealed.plain, context.clock, context.logFolder);
    return sealed;
}

OpenedAnswer OpenAnswer(const Exchange& exchange, const std::string& cipherText,
                        const EnvelopeContext& context) {
    OpenedAnswer opened;
    opened.error = DecryptToBuffer(context.cipher, cipherText, exchange.decryptBuffer, opened.decrypted);
    // The cipher text itself is never logged; a failure leaves a trace of its size only.
    std::string line =
        opened.error == EnvelopeError::None
            ? opened.decrypted
            : Utf8ToCp949("복호화 실패: 암호문 " + std::to_string(cipherText.size()) + "바이트");
    opened.logged = LogTelegram("[ Resp ", line, context.clock, context.logFolder);
    return opened;
}

bool LogBrokenArrival(BrokenArrival why, size_t receivedBytes, const EnvelopeContext& context) {
    std::string count = std::to_string(receivedBytes);
    std::string line = why == BrokenArrival::MalformedPrefix
                           ? "길이 오류: 수신 " + count + "바이트"
                           : "수신 중단: " + count + "바이트 수신 후 연결 종료";
    return LogTelegram("[ Resp ", Utf8ToCp949(line), context.clock, context.logFolder);
}

TelegramAssembler::Status TelegramAssembler::Feed(std::string_view bytes) {
    if (status_ != Status::Incomplete) {
        return status_;
    }
    // Spaces before the prefix are trimmed away, as the sender's trim would.
    if (received_.empty()) {
        bytes = bytes.substr(std::min(bytes.size(), bytes.find_first_not_of(' ')));
    }
    received_.append(bytes);
    if (received_.size() < PrefixWidth) {
        return status_;
    }
    std::string_view prefix(received_.data(), PrefixWidth);
    int count = AllDigits(prefix) ? std::stoi(std::string(prefix)) : 0;
    if (count < 1 || count > MaxCipher) {
        return status_ = Status::Malformed;
    }
    if (received_.size() < PrefixWidth + static_cast<size_t>(count)) {
        return status_;
    }
    cipher_ = received_.substr(PrefixWidth, static_cast<size_t>(count));
    received_.clear();
    return status_ = Status::Complete;
}

void TelegramAssembler::Reset() {
    received_.clear();
    cipher_.clear();
    status_ = Status::Incomplete;
}

} // namespace dovra
