#ifndef DOVRA_CIPHER_TSEED_H
#define DOVRA_CIPHER_TSEED_H

/*
 * TSeed: seals one telegram for the approval server and opens the server's answers.
 *
 * A cipher text is the Z85 text (ZeroMQ's alphabet: digits, lower and upper case letters, then
 * . - : + = ^ ! / * ? & < > ( ) [ ] { } @ % $ #) of a binary record laid out as
 *
 *     version (1 byte, 1) | nonce (12) | body | tag (16)
 *
 * body   = SEED-128 in CTR mode over (raw deflate of the telegram, then zero bytes). The counter block
 *          starts as nonce || 00 00 00 00 and counts up big-endian. The zero bytes only bring the
 *          record to a multiple of 4 bytes and to at least 80 bytes; the deflate stream must end
 *          exactly before them.
 * tag    = HMAC-SHA256 over version || nonce || body, first 16 bytes.
 *
 * The record is 80..796 bytes, so the text is 100..995 characters. Both keys come from the
 * build's TSEED_KEY: SEED key = SHA-256("dovra.tseed.seed" 00 TSEED_KEY)[0..16),
 * HMAC key = SHA-256("dovra.tseed.hmac" 00 TSEED_KEY).
 */

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define TSEED_CALL __stdcall
#else
#define TSEED_CALL
#endif

#if defined(_WIN32)
/* TSeed.def exports the names: dllexport would give 32-bit stdcall names their @n decoration. */
#if defined(TSEED_BUILDING)
#define TSEED_API
#else
#define TSEED_API __declspec(dllimport)
#endif
#else
#define TSEED_API __attribute__((visibility("default")))
#endif

/* Result codes. Every failure leaves the caller's output buffer exactly as it was. */
#define TSEED_OK 0
#define TSEED_ERR_ARGUMENT (-1) /* null pointer or negative length */
#define TSEED_ERR_TOO_LONG (-2) /* the telegram does not compress into one cipher text */
#define TSEED_ERR_CRYPTO (-3)   /* libgcrypt could not be started or failed */
#define TSEED_ERR_ZLIB (-4)     /* zlib failed while compressing */
#define TSEED_ERR_FORMAT (-5)   /* wrong length or a character outside the alphabet */
#define TSEED_ERR_VERSION (-6)  /* a record version this library does not know */
#define TSEED_ERR_AUTH (-7)     /* the tag does not match: damaged, forged or another key */
#define TSEED_ERR_CONTENT (-8)  /* authentic but unusable: bad deflate stream, filler or size */

/* Output buffers of these sizes always suffice (encryption's terminating NUL included). */
#define TSEED_ENCRYPT_OUTPUT_MAX 1000
#define TSEED_DECRYPT_OUTPUT_MAX 2000

#ifdef __cplusplus
extern "C" {
#endif

/* Writes the cipher text of input[0..length) and one NUL to output (996 bytes at most). Takes up to
 * 1,999 bytes whose deflate stream fits in 767; a worst-case 978-byte answer of KS X 1001 Hangul does. */
TSEED_API int32_t TSEED_CALL TSeedEncrypt(const char* input, int32_t length, char* output);

/* Writes exactly the telegram sealed in input[0..length) to output (1,999 bytes at most) and nothing else:
 * the rest of the buffer stays as the caller filled it. */
TSEED_API int32_t TSEED_CALL TSeedDecrypt(const char* input, int32_t length, char* output);

/* One SEED-128 block in ECB, through the same cipher set-up as the telegrams; for known-answer checks. */
TSEED_API int32_t TSEED_CALL TSeedBlockEncrypt(const unsigned char key[16], const unsigned char in[16],
                                               unsigned char out[16]);

#ifdef __cplusplus
}
#endif

#endif
