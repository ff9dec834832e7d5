#pragma once

#include "foundations/Clock.h"
#include "transport/CipherLibrary.h"
#include "transport/Layouts.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace dovra {

// The buffers, filled with spaces, that the cipher library writes into: the login's own pair, and one
// size for both directions of every other exchange. An answer is logged with its whole decrypt buffer,
// so the sizes show in the day's log.
inline constexpr int LoginEncryptBuffer = 5000;
inline constexpr int LoginDecryptBuffer = 4000;
inline constexpr int CipherBuffer = 2000;

// What differs between the exchanges: the log tag, the cipher library's buffer sizes, and the body
// bytes the log must not show (the login's authentication number).
struct Exchange {
    std::string_view logTag;
    int encryptBuffer;
    int decryptBuffer;
    int hiddenFrom = 0; // 0-based in the body
    int hiddenWidth = 0;
};

inline constexpr Exchange LoginExchange{"[ Send ", LoginEncryptBuffer, LoginDecryptBuffer, CommonHeaderWidth,
                                        LoginAuthLayout[0].width};
inline constexpr Exchange CardReaderLookupExchange{"[ Serc ", CipherBuffer, CipherBuffer};
inline constexpr Exchange ManualLookupExchange{"[ Serc ", CipherBuffer, CipherBuffer};
inline constexpr Exchange TransactionExchange{"[ Send ", CipherBuffer, CipherBuffer};
inline constexpr Exchange AutoCancelExchange{"[ Send ", CipherBuffer, CipherBuffer};

enum class EnvelopeError {
    None,
    LibraryNotLoaded,
    EncryptFailed,    // the library refused or wrote nothing usable
    CipherOutOfRange, // not 100 to 999 bytes: the 4-character prefix could not carry it
    MalformedPrefix,  // an answer whose first 4 characters are not a count of 1 to 999
    DecryptFailed,    // the library refused the cipher text
};

const char* DescribeEnvelopeError(EnvelopeError error);

struct EnvelopeContext {
    const CipherLibrary& cipher;
    const Clock& clock;
    std::filesystem::path logFolder;
};

// "0" + decimal count with no further fill: 352 gives 0352, 99 gives 099, 1024 gives 01024.
std::string LengthPrefix(int count);

// A request's inner prefix counts characters (a Hangul syllable once); an answer's counts bytes.
std::string FramePlainRequest(std::string_view telegram);
std::string FramePlainAnswer(std::string_view telegram);

// The plain frame of a decrypted request: its 4-character prefix and the characters that prefix counts.
// The library writes the telegram and nothing after it, so the rest of the buffer is the caller's fill
// and only the count tells where the telegram ends. Empty when the prefix is not a count or the buffer
// ends first.
std::string_view RequestFrame(std::string_view decrypted);

// Encrypts into a buffer of bufferSize spaces, trims it, drops the library's terminating byte and puts
// the cipher-length prefix in front. Nothing is returned in wire unless it is fit to send.
EnvelopeError EncryptToWire(const CipherLibrary& cipher, const std::string& plain, int bufferSize,
                            std::string& wire);

// Decrypts into a buffer of bufferSize spaces and returns the whole buffer, untrimmed.
EnvelopeError DecryptToBuffer(const CipherLibrary& cipher, const std::string& cipherText, int bufferSize,
                              std::string& decrypted);

struct SealedRequest {
    EnvelopeError error = EnvelopeError::None;
    std::string plain; // what the log shows, hidden bytes aside
    std::string wire;  // what goes on the socket
    bool logged = false;
};

// Frames, encrypts and logs one request. Only a telegram that can be sent is logged, so the day's log
// never shows a request that did not leave the counter.
SealedRequest SealRequest(const Exchange& exchange, std::string_view telegram,
                          const EnvelopeContext& context);

struct OpenedAnswer {
    EnvelopeError error = EnvelopeError::None;
    std::string decrypted; // the whole decrypt buffer
    bool logged = false;
};

// Decrypts and logs one complete answer. An answer that cannot be decrypted is logged as such.
OpenedAnswer OpenAnswer(const Exchange& exchange, const std::string& cipherText,
                        const EnvelopeContext& context);

// An answer that arrived but never became a cipher text to open: its length prefix is not one, or the
// connection closed before the count was complete. Logged by its size alone, as an undecryptable one is,
// so the day's log tells how every exchange ended. Returns whether the line was written.
enum class BrokenArrival { MalformedPrefix, CutShort };
bool LogBrokenArrival(BrokenArrival why, size_t receivedBytes, const EnvelopeContext& context);

// Collects the pieces of one framed telegram until its 4-character prefix's count is complete.
class TelegramAssembler {
public:
    enum class Status { Incomplete, Complete, Malformed };

    Status Feed(std::string_view bytes);
    Status status() const { return status_; }
    // The cipher text, once Complete.
    const std::string& CipherText() const { return cipher_; }
    // What has come of an answer not yet Complete, leading spaces aside.
    size_t ReceivedBytes() const { return received_.size(); }
    void Reset();

private:
    std::string received_;
    std::string cipher_;
    Status status_ = Status::Incomplete;
};

} // namespace dovra
