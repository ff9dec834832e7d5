#include "cipher/TSeed.h"
#include "foundations/Cp949.h"

#include <gcrypt.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using Bytes = std::string;
std::mt19937 rng(978); // fixed, so that a failure repeats
const std::string kZ85 =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ.-:+=^!/*?&<>()[]{}@%$#";

template <class Pick> Bytes Random(size_t n, Pick pick) {
    Bytes s(n, '\0');
    std::generate(s.begin(), s.end(), pick);
    return s;
}

// Encrypts into a buffer of spaces and checks what the program relies on: on success a Z85 text of
// 100..999 characters and one NUL, on failure not a byte changed. Returns the text, empty on failure.
std::string Seal(const Bytes& plain, int32_t expected = TSEED_OK) {
    std::string out(TSEED_ENCRYPT_OUTPUT_MAX + 32, ' ');
    int32_t rc = TSeedEncrypt(plain.data(), static_cast<int32_t>(plain.size()), out.data());
    EXPECT_EQ(rc, expected);
    size_t end = out.find_first_not_of(kZ85);
    EXPECT_TRUE(rc != TSEED_OK || (end >= 100 && end <= 999 && out[end] == '\0')) << end;
    EXPECT_EQ(out.find_first_not_of(' ', rc == TSEED_OK ? end + 1 : 0), std::string::npos) << rc;
    return rc == TSEED_OK ? out.substr(0, end) : "";
}

// Decrypts into 2,000 bytes plus a guard, all pre-filled; only the expected plain text may change: no
// terminator, since the callers log the whole buffer.
int32_t Open(std::string_view text, const Bytes* expected = nullptr) {
    std::string out(TSEED_DECRYPT_OUTPUT_MAX + 256, '\x5a');
    int32_t rc = TSeedDecrypt(text.data(), static_cast<int32_t>(text.size()), out.data());
    size_t written = rc == TSEED_OK && expected != nullptr ? expected->size() : 0;
    EXPECT_EQ(out.substr(0, written), expected != nullptr ? expected->substr(0, written) : "");
    EXPECT_EQ(out.find_first_not_of('\x5a', written), std::string::npos) << rc;
    return rc;
}

void ExpectRoundTrip(const Bytes& plain) {
    EXPECT_EQ(Open(Seal(plain), &plain), TSEED_OK);
}

// All 11,172 modern syllables, not only the 2,350 of KS X 1001 that most names are written in: more
// bits each, so the harder for deflate.
std::vector<Bytes> Syllables() {
    std::vector<Bytes> out;
    for (char16_t u = 0xAC00; u <= 0xD7A3; ++u) {
        out.push_back(dovra::Utf16ToCp949(std::u16string(1, u)));
    }
    return out;
}

// Widths of the 978-byte card answer, prefix first; the negative ones hold Hangul.
const int kAnswerHead[] = {4, 4,  4, 8, 6, 12, 2, 15, 8,  6,   2,   1,   37,  16,  10, 12,
                           8, 12, 9, 9, 9, 1,  9, 3,  10, -10, -10, -40, -32, 145, 2};
const int kAnswerItem[] = {3, 9, 6, -20, 10, -10};

// The worst case for deflate: every number random, every name of random syllables.
Bytes CardAnswer(const std::vector<Bytes>& syllables) {
    Bytes answer;
    auto put = [&](int width) {
        for (int i = 0; i < -width / 2; ++i) {
            answer += syllables[rng() % syllables.size()];
        }
        answer += Random(static_cast<size_t>(std::max(0, width)),
                         [] { return static_cast<char>('0' + rng() % 10); });
    };
    std::for_each(std::begin(kAnswerHead), std::end(kAnswerHead), put);
    for (int i = 0; i < 9; ++i) {
        std::for_each(std::begin(kAnswerItem), std::end(kAnswerItem), put);
    }
    EXPECT_EQ(answer.size(), 978u);
    return answer.replace(0, 4, "0974");
}

Bytes RawDeflate(const Bytes& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    Bytes out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
              static_cast<uLong>(plain.size()), 9);
    return out.substr(2, size - 6); // without zlib's header and checksum
}

// Five characters can count past 2^32; a value that does is encoded as it is, not wrapped.
std::string Z85Group(uint64_t value) {
    std::string group;
    for (uint64_t power : {52200625u, 614125u, 7225u, 85u, 1u}) {
        group += kZ85[value / power % 85];
    }
    return group;
}

// Seals a record straight from the layout in TSeed.h, as the server would, so that the library can
// be handed authentic records whose content is wrong: no tampering with its own output gets there.
std::string ReferenceSeal(Bytes body, char filler = 0, char version = 1, const char* key = TSEED_KEY) {
    gcry_check_version(nullptr); // run alone, this test may reach libgcrypt before the library does
    Bytes seedKey(32, '\0'), hmacKey(32, '\0'), nonce(12, '\0'), tag(32, '\0');
    for (auto [label, out] : {std::pair{"dovra.tseed.seed", &seedKey}, {"dovra.tseed.hmac", &hmacKey}}) {
        Bytes material = std::string(label) + '\0' + key;
        gcry_md_hash_buffer(GCRY_MD_SHA256, out->data(), material.data(), material.size());
    }
    body.resize(std::max<size_t>(80, (1 + 12 + body.size() + 16 + 3) / 4 * 4) - 29, filler);
    gcry_create_nonce(nonce.data(), nonce.size());
    Bytes counter = nonce + Bytes(4, '\0');
    gcry_cipher_hd_t cipher;
    gcry_cipher_open(&cipher, GCRY_CIPHER_SEED, GCRY_CIPHER_MODE_CTR, 0);
    gcry_cipher_setkey(cipher, seedKey.data(), 16);
    gcry_cipher_setctr(cipher, counter.data(), 16);
    gcry_cipher_encrypt(cipher, body.data(), body.size(), nullptr, 0);
    gcry_cipher_close(cipher);
    Bytes record = version + nonce + body;
    gcry_buffer_t parts[] = {{0, 0, hmacKey.size(), hmacKey.data()}, {0, 0, record.size(), record.data()}};
    gcry_md_hash_buffers(GCRY_MD_SHA256, GCRY_MD_FLAG_HMAC, tag.data(), parts, 2);
    record += tag.substr(0, 16);
    std::string text;
    for (size_t i = 0; i < record.size(); i += 4) {
        auto byte = [&](size_t k) { return uint64_t{static_cast<unsigned char>(record[i + k])}; };
        text += Z85Group(byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3));
    }
    return text;
}

} // namespace

// Random syllables from all of modern Hangul carry 13.4 bits each, more than raw deflate packs into a
// telegram: what fits must come back whole, and the worst of them must still fit.
TEST(TSeedTelegrams, EveryTelegramFitsAndComesBackWholeAndTheRestIsRefused) {
    ExpectRoundTrip("");
    ExpectRoundTrip("0200" + Bytes(200, ' '));
    ExpectRoundTrip(Bytes("\0\xff\x01", 3) + Bytes(1996, '\xff')); // the longest a caller can get back
    std::vector<Bytes> answers;
    auto syllables = Syllables();
    std::generate_n(std::back_inserter(answers), 6000, [&] { return CardAnswer(syllables); });
    for (size_t i = 0; i < answers.size() && !HasFailure(); ++i) {
        ExpectRoundTrip(answers[i]);
    }
    // What cannot fit, or is handed over wrongly, is refused with the output left alone.
    Bytes noise = Random(978, [] { return static_cast<char>(rng()); });
    Seal(noise, TSEED_ERR_TOO_LONG);
    Seal(Bytes(2000, ' '), TSEED_ERR_TOO_LONG);
    std::string out(TSEED_DECRYPT_OUTPUT_MAX, ' ');
    for (int32_t rc : {TSeedEncrypt(noise.data(), -1, out.data()), TSeedEncrypt(nullptr, 0, out.data()),
                       TSeedEncrypt(noise.data(), 10, nullptr), TSeedDecrypt(noise.data(), -1, out.data()),
                       TSeedDecrypt(nullptr, 0, out.data()), TSeedDecrypt(noise.data(), 100, nullptr)}) {
        EXPECT_EQ(rc, TSEED_ERR_ARGUMENT);
    }
    EXPECT_EQ(out, std::string(TSEED_DECRYPT_OUTPUT_MAX, ' '));
    EXPECT_EQ(Open(std::string_view(noise).substr(0, 100)), TSEED_ERR_FORMAT);
}

// A real cipher text changed, cut short or grown anywhere, and garbage of any kind, are all refused.
TEST(TSeedTamper, AnyChangedMissingOrExtraCharacterAndAnyGarbageIsRejected) {
    Bytes answer = CardAnswer(Syllables());
    std::string text = Seal(answer);
    EXPECT_NE(Seal(answer), text) << "same nonce twice";
    for (size_t i = 0; i < text.size() && !HasFailure(); ++i) {
        std::string changed = text;
        changed[i] = kZ85[(kZ85.find(text[i]) + 1 + i % 84) % 85];
        EXPECT_LT(Open(changed), 0) << "changed at " << i;
        EXPECT_LT(Open(text.substr(0, i) + text.substr(i + 1)), 0) << "removed at " << i;
        EXPECT_LT(Open(text.substr(0, i)), 0) << "cut at " << i;
    }
    // Five characters more keep the length valid, so only the record's own checks can refuse them.
    for (size_t i : {size_t{0}, size_t{1}, size_t{7}, text.size() / 2, text.size() - 1, text.size()}) {
        EXPECT_LT(Open(std::string(text).insert(i, "a0b1c")), 0) << "inserted at " << i;
    }
    // The first group once more, counted past 2^32: wrapped, it would read as the real one.
    uint64_t first = 0;
    for (char c : text.substr(0, 5)) {
        first = first * 85 + kZ85.find(c);
    }
    EXPECT_LT(Open(Z85Group(first + (uint64_t{1} << 32)) + text.substr(5)), 0);
    EXPECT_EQ(Open(text, &answer), TSEED_OK);
    // Any bytes, and the alphabet at lengths that get as far as the tag.
    for (int i = 0; i < 100000 && !HasFailure(); ++i) {
        std::string input = i % 2 ? Random(rng() % 1501, [] { return static_cast<char>(rng()); })
                                  : Random(100 + rng() % 180 * 5, [] { return kZ85[rng() % 85]; });
        ASSERT_LT(Open(input), 0) << "input " << i;
    }
}

TEST(TSeedFormat, RecordsSealedFromTheDocumentedLayoutOpenAndTheirContentIsChecked) {
    // RFC 4269's third known answer
    const unsigned char key[] = "\x47\x06\x48\x08\x51\xE6\x1B\xE8\x5D\x74\xBF\xB3\xFD\x95\x61\x85",
                        in[] = "\x83\xA2\xF8\xA2\x88\x64\x1F\xB9\xA4\xE9\xA5\xCC\x2F\x13\x1C\x7D",
                        expected[] = "\xEE\x54\xD1\x3E\xBC\xAE\x70\x6D\x22\x6B\xC3\x14\x2C\xD4\x0D\x4A";
    unsigned char out[16];
    EXPECT_EQ(TSeedBlockEncrypt(key, in, out), TSEED_OK);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(expected, expected + 16));

    Bytes login = "0200" + Bytes(200, ' '), longest(1999, '\0');
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login)), &login), TSEED_OK);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(longest)), &longest), TSEED_OK);

    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(longest + 'x'))), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(Bytes(300000, 'x')))), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login), '\x01')), TSEED_ERR_CONTENT);
    // A stored block of the login that does not say it is the last: the stream never ends.
    EXPECT_EQ(Open(ReferenceSeal(Bytes("\x00\xCC\x00\x33\xFF", 5) + login)), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(Bytes())), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login), 0, 2)), TSEED_ERR_VERSION);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login), 0, 1, "another key")), TSEED_ERR_AUTH);
}
