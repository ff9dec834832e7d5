#include "cipher/TSeed.h"
#include "foundations/Cp949.h"

#include <gcrypt.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::string;
std::mt19937 rng(978); // fixed, so that a failure repeats
const std::string kZ85 =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ.-:+=^!/*?&<>()[]{}@%$#";

Bytes Digits(size_t n) {
    Bytes s(n, '0');
    for (char& c : s) {
        c = static_cast<char>('0' + rng() % 10);
    }
    return s;
}

// Encrypts into a buffer of spaces and checks what the program relies on: on success a printable text of
// 100..999 characters and one NUL, on failure not a byte changed.
int32_t TrySeal(const Bytes& plain, std::string& text) {
    std::string out(TSEED_ENCRYPT_OUTPUT_MAX + 32, ' ');
    int32_t rc = TSeedEncrypt(plain.data(), static_cast<int32_t>(plain.size()), out.data());
    size_t untouched = 0;
    if (rc == TSEED_OK) {
        size_t end = out.find('\0');
        EXPECT_GE(end, 100u);
        EXPECT_LE(end, 999u);
        text = out.substr(0, std::min(end, out.size()));
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 127; })) << text;
        untouched = end + 1;
    }
    EXPECT_EQ(out.find_first_not_of(' ', untouched), std::string::npos) << "rc " << rc;
    return rc;
}
std::string Seal(const Bytes& plain) {
    std::string text;
    EXPECT_EQ(TrySeal(plain, text), TSEED_OK);
    return text;
}

// Decrypts into 2,000 bytes plus a guard, all pre-filled; only the expected plain text may change: no
// terminator, since the callers log the whole buffer.
int32_t Open(const char* text, int32_t length, const Bytes* expected) {
    std::vector<char> out(TSEED_DECRYPT_OUTPUT_MAX + 256, '\x5a');
    int32_t rc = TSeedDecrypt(text, length, out.data());
    size_t written = 0;
    if (rc == TSEED_OK && expected != nullptr) {
        EXPECT_EQ(Bytes(out.data(), expected->size()), *expected);
        written = expected->size();
    }
    EXPECT_TRUE(
        std::all_of(out.begin() + static_cast<long>(written), out.end(), [](char c) { return c == '\x5a'; }))
        << "rc " << rc;
    return rc;
}
int32_t Open(const std::string& text, const Bytes* expected = nullptr) {
    return Open(text.data(), static_cast<int32_t>(text.size()), expected);
}

void ExpectRoundTrip(const Bytes& plain) {
    EXPECT_EQ(Open(Seal(plain), &plain), TSEED_OK);
}

// The 978-byte card answer; N and A fields get digits, H fields Hangul.
const char* const kAnswerHead =
    "Prefix:4N MsgType:4N IssueCode:4N SendDate:8N SendTime:6N TraceNo:12N RespCode:2N MerchantNo:15A "
    "TransDate:8N TransTime:6N TransKind:2N EntryMode:1A CardData:37A CardExtra:16A Amount:10N "
    "ApprovalNo:12A OrgAuthDate:8A OrgApprovalNo:12A MonthSupport:9A MonthUsed:9A MonthRemain:9A "
    "CancelType:1A Reserved9:9A CareCode:3A TeacherCode:10A TeacherName:10H StudentName:10H "
    "SchoolName:40H MessageText:32H Reserved145:145A Reserved2:2A";
const char* const kAnswerItem =
    "ItemCode:3A ItemRemain:9N ItemAmount:6N ItemName:20H ItemTeacherCode:10A ItemTeacherName:10H";

Bytes CardAnswer(const std::vector<Bytes>& syllables) {
    std::string layout = kAnswerHead;
    for (int i = 0; i < 9; ++i) {
        layout += std::string(" ") + kAnswerItem;
    }
    std::istringstream fields(layout);
    Bytes answer;
    std::string field;
    while (fields >> field) {
        size_t width = std::stoul(field.substr(field.find(':') + 1));
        if (field.back() != 'H') {
            answer += Digits(width);
            continue;
        }
        std::vector<size_t> used;
        for (size_t i = 0; i < width / 2; ++i) {
            size_t pick;
            do {
                pick = rng() % syllables.size();
            } while (std::find(used.begin(), used.end(), pick) != used.end());
            used.push_back(pick);
            answer += syllables[pick];
        }
        answer.append(width % 2, ' ');
    }
    answer.replace(0, 4, "0974");
    return answer;
}

std::vector<Bytes> KsX1001Syllables() {
    std::vector<Bytes> out;
    for (int lead = 0xB0; lead <= 0xC8; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            out.push_back({static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    return out;
}

std::vector<Bytes> AllModernSyllables() {
    std::vector<Bytes> out;
    for (char16_t u = 0xAC00; u <= 0xD7A3; ++u) {
        out.push_back(dovra::Utf16ToCp949(std::u16string(1, u)));
    }
    return out;
}

Bytes RawDeflate(const Bytes& plain, int flush = Z_FINISH) {
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(plain.size() + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    zs.avail_in = static_cast<uInt>(plain.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, flush);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::string Z85(const Bytes& bin) {
    std::string text;
    for (size_t i = 0; i + 4 <= bin.size(); i += 4) {
        uint32_t v = 0;
        for (size_t k = 0; k < 4; ++k) {
            v = v << 8 | static_cast<unsigned char>(bin[i + k]);
        }
        char group[5];
        for (int k = 4; k >= 0; --k, v /= 85) {
            group[k] = kZ85[v % 85];
        }
        text.append(group, 5);
    }
    return text;
}

Bytes Sha256(const char* label, const char* key) {
    Bytes material = std::string(label) + '\0' + key;
    Bytes digest(32, '\0');
    gcry_md_hash_buffer(GCRY_MD_SHA256, digest.data(), material.data(), material.size());
    return digest;
}

// Seals a record straight from the layout in TSeed.h, as the server would, so that the library can
// be handed authentic records whose content is wrong: no tampering with its own output gets there.
std::string ReferenceSeal(Bytes body, char filler = 0, char version = 1, const char* key = TSEED_KEY) {
    gcry_check_version(nullptr); // run alone, this test may reach libgcrypt before the library does
    Bytes seedKey = Sha256("dovra.tseed.seed", key).substr(0, 16), hmacKey = Sha256("dovra.tseed.hmac", key);
    size_t size = std::max<size_t>(80, (1 + 12 + body.size() + 16 + 3) / 4 * 4);
    body.resize(size - 29, filler);
    Bytes nonce(12, '\0');
    gcry_create_nonce(nonce.data(), nonce.size());
    Bytes counter = nonce + Bytes(4, '\0');
    gcry_cipher_hd_t cipher;
    gcry_cipher_open(&cipher, GCRY_CIPHER_SEED, GCRY_CIPHER_MODE_CTR, 0);
    gcry_cipher_setkey(cipher, seedKey.data(), 16);
    gcry_cipher_setctr(cipher, counter.data(), 16);
    gcry_cipher_encrypt(cipher, body.data(), body.size(), nullptr, 0);
    gcry_cipher_close(cipher);
    Bytes record = version + nonce + body;
    Bytes tag(32, '\0');
    size_t tagSize = tag.size();
    gcry_mac_hd_t mac;
    gcry_mac_open(&mac, GCRY_MAC_HMAC_SHA256, 0, nullptr);
    gcry_mac_setkey(mac, hmacKey.data(), hmacKey.size());
    gcry_mac_write(mac, record.data(), record.size());
    gcry_mac_read(mac, tag.data(), &tagSize);
    gcry_mac_close(mac);
    return Z85(record + tag.substr(0, 16));
}

Bytes FromHex(const char* hex) {
    Bytes out;
    for (; hex[0] != '\0'; hex += 2) {
        out.push_back(static_cast<char>(std::stoi(std::string(hex, 2), nullptr, 16)));
    }
    return out;
}

} // namespace

TEST(TSeedBlock, MatchesRfc4269KnownAnswers) {
    const char* vectors[][3] = {
        {"00000000000000000000000000000000", "000102030405060708090A0B0C0D0E0F",
         "5EBAC6E0054E166819AFF1CC6D346CDB"},
        {"000102030405060708090A0B0C0D0E0F", "00000000000000000000000000000000",
         "C11F22F20140505084483597E4370F43"},
        {"4706480851E61BE85D74BFB3FD956185", "83A2F8A288641FB9A4E9A5CC2F131C7D",
         "EE54D13EBCAE706D226BC3142CD40D4A"},
        {"28DBC3BC49FFD87DCFA509B11D422BE7", "B41E6BE2EBA84A148E2EED84593C5EC7",
         "9B9B7BFCD1813CB95D0B3618F40F5122"},
    };
    for (auto& v : vectors) {
        Bytes key = FromHex(v[0]), in = FromHex(v[1]), out(16, '\0');
        ASSERT_EQ(TSeedBlockEncrypt(reinterpret_cast<const unsigned char*>(key.data()),
                                    reinterpret_cast<const unsigned char*>(in.data()),
                                    reinterpret_cast<unsigned char*>(out.data())),
                  TSEED_OK);
        EXPECT_EQ(out, FromHex(v[2])) << v[0];
    }
}

TEST(TSeedTelegrams, LoginAndRequestFramesFitAndRoundTrip) {
    ExpectRoundTrip("");
    ExpectRoundTrip("0200" + Bytes(200, ' '));
    ExpectRoundTrip("0200" + Bytes(100, '0') + Bytes(100, ' '));
    ExpectRoundTrip("0200" + Digits(40) + Bytes(160, ' '));
    ExpectRoundTrip(Bytes("\0\xff\x01", 3) + Bytes(1996, '\xff')); // the longest a caller can get back
    auto hangul = KsX1001Syllables();
    for (int i = 0; i < 200; ++i) {
        Bytes request = "0450";
        while (request.size() < 454) {
            request += rng() % 2 ? Digits(2) : hangul[rng() % hangul.size()];
        }
        ExpectRoundTrip(request.substr(0, 454));
    }
}

TEST(TSeedTelegrams, WorstCaseCardAnswersFit) {
    auto syllables = KsX1001Syllables();
    ASSERT_EQ(CardAnswer(syllables).size(), 978u);
    size_t longest = 0;
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        Bytes answer = CardAnswer(syllables);
        std::string text = Seal(answer);
        longest = std::max(longest, text.size());
        EXPECT_EQ(Open(text, &answer), TSEED_OK);
    }
    RecordProperty("longest_ksx1001", static_cast<int>(longest));
    std::cout << "longest cipher text of 3000 KS X 1001 answers: " << longest << '\n';
}

// Random syllables from all of modern Hangul carry 13.4 bits each, more than raw deflate packs into a
// telegram: what does not fit must be refused whole, never cut short.
TEST(TSeedTelegrams, AnswersWithAnyModernSyllableFit) {
    auto syllables = AllModernSyllables();
    ASSERT_EQ(syllables.size(), 11172u);
    size_t longest = 0;
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        Bytes answer = CardAnswer(syllables);
        std::string text;
        ASSERT_EQ(TrySeal(answer, text), TSEED_OK);
        longest = std::max(longest, text.size());
        EXPECT_EQ(Open(text, &answer), TSEED_OK);
    }
    RecordProperty("longest_all11172", static_cast<int>(longest));
    std::cout << "longest cipher text of 3000 answers with any of 11172 syllables: " << longest << '\n';
}

TEST(TSeedTelegrams, RefusesWhatCannotFitAndLeavesOutputAlone) {
    Bytes noise(978, '\0');
    std::generate(noise.begin(), noise.end(), [] { return static_cast<char>(rng()); });
    std::string text;
    EXPECT_EQ(TrySeal(noise, text), TSEED_ERR_TOO_LONG);
    EXPECT_EQ(TrySeal(Bytes(2000, ' '), text), TSEED_ERR_TOO_LONG);
    std::string out(TSEED_ENCRYPT_OUTPUT_MAX, ' ');
    EXPECT_EQ(TSeedEncrypt(noise.data(), -1, out.data()), TSEED_ERR_ARGUMENT);
    EXPECT_EQ(TSeedEncrypt(nullptr, 0, out.data()), TSEED_ERR_ARGUMENT);
    EXPECT_EQ(TSeedEncrypt(noise.data(), 10, nullptr), TSEED_ERR_ARGUMENT);
    EXPECT_EQ(out, std::string(TSEED_ENCRYPT_OUTPUT_MAX, ' '));
    EXPECT_EQ(Open(noise.data(), 100, nullptr), TSEED_ERR_FORMAT);
    EXPECT_EQ(Open(noise.data(), -1, nullptr), TSEED_ERR_ARGUMENT);
    EXPECT_EQ(TSeedDecrypt(nullptr, 0, out.data()), TSEED_ERR_ARGUMENT);
    EXPECT_EQ(TSeedDecrypt(noise.data(), 100, nullptr), TSEED_ERR_ARGUMENT);
}

TEST(TSeedTamper, AnyChangedMissingOrExtraCharacterIsRejected) {
    Bytes answer = CardAnswer(KsX1001Syllables());
    std::string text = Seal(answer);
    EXPECT_NE(Seal(answer), text) << "same nonce twice";
    for (size_t i = 0; i < text.size() && !HasFailure(); ++i) {
        std::string changed = text;
        changed[i] = kZ85[(kZ85.find(text[i]) + 1 + i % 84) % 85];
        EXPECT_LT(Open(changed), 0) << "changed at " << i;
        EXPECT_LT(Open(text.substr(0, i) + text.substr(i + 1)), 0) << "removed at " << i;
    }
    for (size_t i : {size_t{0}, size_t{1}, size_t{7}, text.size() / 2, text.size() - 1, text.size()}) {
        for (const char* extra : {"0", "#", " ", "00000", "a0b1c"}) {
            EXPECT_LT(Open(std::string(text).insert(i, extra)), 0) << "inserted " << extra << " at " << i;
        }
    }
    EXPECT_EQ(Open(text, &answer), TSEED_OK);
}

TEST(TSeedDecrypt, OpensRecordsSealedFromTheLayoutAndChecksTheirContent) {
    EXPECT_EQ(Z85(FromHex("864FD26FB559F75B")), "HelloWorld"); // ZeroMQ's own example

    Bytes login = "0200" + Bytes(200, ' ');
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login)), &login), TSEED_OK);
    Bytes longest(1999, '\0');
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(longest)), &longest), TSEED_OK);

    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(longest + 'x'))), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(Bytes(300000, 'x')))), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login), '\x01')), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login, Z_SYNC_FLUSH))), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(Bytes())), TSEED_ERR_CONTENT);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login), 0, 2)), TSEED_ERR_VERSION);
    EXPECT_EQ(Open(ReferenceSeal(RawDeflate(login), 0, 1, "another key")), TSEED_ERR_AUTH);
}

TEST(TSeedDecrypt, SurvivesHundredThousandGarbageInputs) {
    std::vector<std::string> valid;
    for (int i = 0; i < 16; ++i) {
        valid.push_back(Seal(i % 2 ? CardAnswer(KsX1001Syllables()) : "0200" + Digits(200)));
    }
    for (int i = 0; i < 100000 && !HasFailure(); ++i) {
        std::string input;
        size_t length = rng() % 1501;
        switch (i % 4) {
        case 0: // binary
            input.resize(length);
            std::generate(input.begin(), input.end(), [] { return static_cast<char>(rng()); });
            break;
        case 1: // printable
            input.resize(length);
            std::generate(input.begin(), input.end(), [] { return static_cast<char>(32 + rng() % 95); });
            break;
        case 2: // the alphabet, at lengths that get as far as the tag
            input.resize(100 + rng() % 180 * 5);
            std::generate(input.begin(), input.end(), [] { return kZ85[rng() % 85]; });
            break;
        default: { // strict prefixes of real cipher texts, half of them at whole groups
            const std::string& text = valid[rng() % valid.size()];
            size_t cut = rng() % text.size();
            input = text.substr(0, i % 8 == 3 ? cut / 5 * 5 : cut);
        }
        }
        ASSERT_LT(Open(input), 0) << "input " << i;
    }
}

TEST(TSeedThreads, ConcurrentCallsStayApart) {
    std::vector<Bytes> plains;
    for (int i = 0; i < 4; ++i) {
        plains.push_back("0450" + Digits(450));
    }
    std::vector<int> failures(plains.size());
    std::vector<std::thread> threads;
    for (size_t t = 0; t < plains.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                char text[TSEED_ENCRYPT_OUTPUT_MAX], back[TSEED_DECRYPT_OUTPUT_MAX];
                bool ok = TSeedEncrypt(plains[t].data(), 454, text) == TSEED_OK &&
                          TSeedDecrypt(text, static_cast<int32_t>(std::strlen(text)), back) == TSEED_OK &&
                          Bytes(back) == plains[t];
                failures[t] += ok ? 0 : 1;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(plains.size(), 0));
}
