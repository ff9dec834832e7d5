#include "server/AuthNumber.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <array>

namespace dovra {

std::string NewAuthSalt() {
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return std::string(reinterpret_cast<const char*>(words.data()), sizeof words);
}

std::string HashAuthNumber(std::string_view salt, std::string_view authNumber) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(salt.data(), static_cast<qsizetype>(salt.size())));
    hash.addData(QByteArrayView(authNumber.data(), static_cast<qsizetype>(authNumber.size())));
    QByteArray digest = hash.result();
    return std::string(digest.constData(), static_cast<size_t>(digest.size()));
}

// Every byte is compared, so the time taken does not tell how much of a guess was right.
bool AuthNumberMatches(std::string_view salt, std::string_view hash, std::string_view authNumber) {
    std::string computed = HashAuthNumber(salt, authNumber);
    if (computed.size() != hash.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (size_t i = 0; i < computed.size(); ++i) {
        difference |= static_cast<unsigned char>(computed[i] ^ hash[i]);
    }
    return difference == 0;
}

} // namespace dovra
