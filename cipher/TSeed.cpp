#include "cipher/TSeed.h"

#include <gcrypt.h>
#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>

#ifndef TSEED_KEY
#error "TSEED_KEY must be defined by the build"
#endif

namespace {

constexpr unsigned char kVersion = 1;
constexpr size_t kNonceSize = 12;
constexpr size_t kHeaderSize = 1 + kNonceSize;
constexpr size_t kTagSize = 16;
// The telegram's cipher text field takes 100 to 999 characters; Z85 turns 4 bytes into 5.
constexpr size_t kMinRecord = 80;
constexpr size_t kMaxRecord = 796;
constexpr size_t kMaxBody = kMaxRecord - kHeaderSize - kTagSize;
// Encryption's NUL needs one byte of the callers' buffer; decryption keeps to the same size so that
// whatever one end seals, the other can open.
constexpr size_t kMaxPlain = TSEED_DECRYPT_OUTPUT_MAX - 1;

constexpr char kZ85[] =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ.-:+=^!/*?&<>()[]{}@%$#";
static_assert(sizeof kZ85 == 86);

constexpr std::array<signed char, 256> kZ85Value = [] {
    std::array<signed char, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 85; ++i) {
        table[static_cast<unsigned char>(kZ85[i])] = static_cast<signed char>(i);
    }
    return table;
}();

// Card numbers and names pass through these buffers; a plain memset before they go out of scope
// may be dropped by the optimiser, a write through volatile may not.
template <size_t N> struct Scratch {
    std::array<unsigned char, N> bytes{};
    ~Scratch() {
        volatile unsigned char* p = bytes.data();
        for (size_t i = 0; i < N; ++i) {
            p[i] = 0;
        }
    }
    unsigned char* data() { return bytes.data(); }
};

struct Keys {
    unsigned char seed[16];
    unsigned char hmac[32];
};

Keys g_keys;
bool g_ready = false;

void DeriveKey(const char* label, unsigned char* out, size_t size) {
    // The NUL keeps label and key apart, so no key can be chosen to make the two derivations collide.
    std::string material(label);
    material.push_back('\0');
    material.append(TSEED_KEY);
    unsigned char digest[32];
    gcry_md_hash_buffer(GCRY_MD_SHA256, digest, material.data(), material.size());
    std::memcpy(out, digest, size);
}

// The host program may have set libgcrypt up already; its choices then stand and only our keys are made.
bool Ready() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (gcry_check_version(GCRYPT_VERSION) == nullptr) {
            return;
        }
        if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
            gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
            gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        }
        DeriveKey("dovra.tseed.seed", g_keys.seed, sizeof g_keys.seed);
        DeriveKey("dovra.tseed.hmac", g_keys.hmac, sizeof g_keys.hmac);
        g_ready = true;
    });
    return g_ready;
}

class Cipher {
public:
    Cipher() = default;
    Cipher(const Cipher&) = delete;
    Cipher& operator=(const Cipher&) = delete;
    ~Cipher() {
        if (handle_ != nullptr) {
            gcry_cipher_close(handle_);
        }
    }

    // The one place where SEED is set up, so the known-answer export checks what the telegrams use.
    bool Open(const unsigned char key[16], int mode) {
        return gcry_cipher_open(&handle_, GCRY_CIPHER_SEED, mode, 0) == 0 &&
               gcry_cipher_setkey(handle_, key, 16) == 0;
    }
    gcry_cipher_hd_t get() const { return handle_; }

private:
    gcry_cipher_hd_t handle_ = nullptr;
};

// CTR is its own inverse, so sealing and opening share this.
bool SeedCtr(const unsigned char* nonce, unsigned char* data, size_t size) {
    Cipher cipher;
    unsigned char counter[16] = {};
    std::memcpy(counter, nonce, kNonceSize);
    return cipher.Open(g_keys.seed, GCRY_CIPHER_MODE_CTR) &&
           gcry_cipher_setctr(cipher.get(), counter, 16) == 0 &&
           gcry_cipher_encrypt(cipher.get(), data, size, nullptr, 0) == 0;
}

bool Tag(const unsigned char* data, size_t size, unsigned char* tag) {
    gcry_mac_hd_t mac = nullptr;
    if (gcry_mac_open(&mac, GCRY_MAC_HMAC_SHA256, 0, nullptr) != 0) {
        return false;
    }
    unsigned char full[32];
    size_t fullSize = sizeof full;
    bool ok = gcry_mac_setkey(mac, g_keys.hmac, sizeof g_keys.hmac) == 0 &&
              gcry_mac_write(mac, data, size) == 0 && gcry_mac_read(mac, full, &fullSize) == 0 &&
              fullSize == sizeof full;
    gcry_mac_close(mac);
    if (ok) {
        std::memcpy(tag, full, kTagSize);
    }
    return ok;
}

// Timing must not tell a forger how many leading bytes of his tag were right.
bool SameTag(const unsigned char* a, const unsigned char* b) {
    unsigned char diff = 0;
    for (size_t i = 0; i < kTagSize; ++i) {
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return diff == 0;
}

void Z85Encode(const unsigned char* in, size_t size, char* out) {
    for (size_t i = 0; i < size; i += 4) {
        uint32_t value =
            (uint32_t{in[i]} << 24) | (uint32_t{in[i + 1]} << 16) | (uint32_t{in[i + 2]} << 8) | in[i + 3];
        for (int k = 4; k >= 0; --k) {
            out[k] = kZ85[value % 85];
            value /= 85;
        }
        out += 5;
    }
}

// Five characters can count past 2^32; refusing those keeps one text per record.
bool Z85Decode(const char* in, size_t length, unsigned char* out) {
    for (size_t i = 0; i < length; i += 5) {
        uint64_t value = 0;
        for (size_t k = 0; k < 5; ++k) {
            int digit = kZ85Value[static_cast<unsigned char>(in[i + k])];
            if (digit < 0) {
                return false;
            }
            value = value * 85 + static_cast<uint64_t>(digit);
        }
        if (value > 0xFFFFFFFFu) {
            return false;
        }
        for (int k = 3; k >= 0; --k) {
            *out++ = static_cast<unsigned char>(value >> (8 * k));
        }
    }
    return true;
}

// Returns the deflate size, 0 when it does not fit in maxOut, or -1 on a zlib failure. A telegram is
// under 2 KB, so a 1 KB window and small hash tables lose nothing on size and make setting up the
// stream, which dominates at this length, several times cheaper. Inflating with the full window reads it.
long DeflateWith(int strategy, const char* in, size_t size, unsigned char* out, size_t maxOut) {
    z_stream zs{};
    if (deflateInit2(&zs, 9, Z_DEFLATED, -10, 6, strategy) != Z_OK) {
        return -1;
    }
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
    zs.avail_in = static_cast<uInt>(size);
    zs.next_out = out;
    zs.avail_out = static_cast<uInt>(maxOut);
    int rc = deflate(&zs, Z_FINISH);
    long produced = static_cast<long>(zs.total_out);
    deflateEnd(&zs);
    if (rc == Z_STREAM_END) {
        return produced;
    }
    return rc == Z_OK || rc == Z_BUF_ERROR ? 0 : -1;
}

// A card answer full of Hangul names is nearly incompressible: there the 3-byte matches the default
// strategy finds can cost more than the literals they replace, and Huffman coding alone may still fit
// where the default does not. Any inflater reads either, so the second try costs only time, and only
// for the answers that need it.
long Deflate(const char* in, size_t size, unsigned char* out) {
    long matched = DeflateWith(Z_DEFAULT_STRATEGY, in, size, out, kMaxBody);
    if (matched != 0) {
        return matched;
    }
    return DeflateWith(Z_HUFFMAN_ONLY, in, size, out, kMaxBody);
}

// Returns the telegram's size, or -1 unless the stream ends inside the body and only filler follows.
long Inflate(const unsigned char* in, size_t size, unsigned char* out, size_t maxOut) {
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK) {
        return -1;
    }
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = static_cast<uInt>(size);
    zs.next_out = out;
    zs.avail_out = static_cast<uInt>(maxOut);
    int rc = inflate(&zs, Z_FINISH);
    long produced = static_cast<long>(zs.total_out);
    const unsigned char* rest = zs.next_in;
    size_t restSize = zs.avail_in;
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) {
        return -1;
    }
    for (size_t i = 0; i < restSize; ++i) {
        if (rest[i] != 0) {
            return -1;
        }
    }
    return produced;
}

} // namespace

extern "C" {

TSEED_API int32_t TSEED_CALL TSeedEncrypt(const char* input, int32_t length, char* output) {
    if (input == nullptr || output == nullptr || length < 0) {
        return TSEED_ERR_ARGUMENT;
    }
    if (static_cast<size_t>(length) > kMaxPlain) {
        return TSEED_ERR_TOO_LONG;
    }
    if (!Ready()) {
        return TSEED_ERR_CRYPTO;
    }
    Scratch<kMaxRecord> record;
    unsigned char* body = record.data() + kHeaderSize;
    long packed = Deflate(input, static_cast<size_t>(length), body);
    if (packed < 0) {
        return TSEED_ERR_ZLIB;
    }
    if (packed == 0) {
        return TSEED_ERR_TOO_LONG;
    }
    // The filler must be zeros, and a longer stream that lost to the shorter one left its bytes here.
    std::memset(body + packed, 0, kMaxBody - static_cast<size_t>(packed));
    size_t recordSize = (kHeaderSize + static_cast<size_t>(packed) + kTagSize + 3) / 4 * 4;
    if (recordSize < kMinRecord) {
        recordSize = kMinRecord;
    }
    size_t bodySize = recordSize - kHeaderSize - kTagSize;

    record.data()[0] = kVersion;
    gcry_create_nonce(record.data() + 1, kNonceSize);
    if (!SeedCtr(record.data() + 1, body, bodySize) ||
        !Tag(record.data(), kHeaderSize + bodySize, body + bodySize)) {
        return TSEED_ERR_CRYPTO;
    }
    size_t textSize = recordSize / 4 * 5;
    Z85Encode(record.data(), recordSize, output);
    output[textSize] = '\0';
    return TSEED_OK;
}

TSEED_API int32_t TSEED_CALL TSeedDecrypt(const char* input, int32_t length, char* output) {
    if (input == nullptr || output == nullptr || length < 0) {
        return TSEED_ERR_ARGUMENT;
    }
    size_t textSize = static_cast<size_t>(length);
    if (textSize % 5 != 0 || textSize < kMinRecord / 4 * 5 || textSize > kMaxRecord / 4 * 5) {
        return TSEED_ERR_FORMAT;
    }
    if (!Ready()) {
        return TSEED_ERR_CRYPTO;
    }
    Scratch<kMaxRecord> record;
    if (!Z85Decode(input, textSize, record.data())) {
        return TSEED_ERR_FORMAT;
    }
    size_t recordSize = textSize / 5 * 4;
    size_t bodySize = recordSize - kHeaderSize - kTagSize;
    unsigned char* body = record.data() + kHeaderSize;
    if (record.data()[0] != kVersion) {
        return TSEED_ERR_VERSION;
    }
    unsigned char expected[kTagSize];
    if (!Tag(record.data(), kHeaderSize + bodySize, expected)) {
        return TSEED_ERR_CRYPTO;
    }
    if (!SameTag(expected, body + bodySize)) {
        return TSEED_ERR_AUTH;
    }
    if (!SeedCtr(record.data() + 1, body, bodySize)) {
        return TSEED_ERR_CRYPTO;
    }
    Scratch<kMaxPlain> plain;
    long size = Inflate(body, bodySize, plain.data(), kMaxPlain);
    if (size < 0) {
        return TSEED_ERR_CONTENT;
    }
    // The callers log the whole buffer: a NUL after the telegram would turn the day's log into binary.
    std::memcpy(output, plain.data(), static_cast<size_t>(size));
    return TSEED_OK;
}

TSEED_API int32_t TSEED_CALL TSeedBlockEncrypt(const unsigned char key[16], const unsigned char in[16],
                                               unsigned char out[16]) {
    if (key == nullptr || in == nullptr || out == nullptr) {
        return TSEED_ERR_ARGUMENT;
    }
    if (!Ready()) {
        return TSEED_ERR_CRYPTO;
    }
    Cipher cipher;
    unsigned char block[16];
    if (!cipher.Open(key, GCRY_CIPHER_MODE_ECB) ||
        gcry_cipher_encrypt(cipher.get(), block, 16, in, 16) != 0) {
        return TSEED_ERR_CRYPTO;
    }
    std::memcpy(out, block, 16);
    return TSEED_OK;
}

} // extern "C"
