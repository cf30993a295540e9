#pragma once
// The crypto primitives of the system's own library (OpenSSL's EVP on Linux,
// BCrypt on Windows): random bytes, PBKDF2-HMAC-SHA1, AES in ECB over many
// blocks and HMAC-SHA1. Formats built on them live in the layers above.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qm::platform::crypto {

constexpr std::size_t kAesBlock = 16;
constexpr std::size_t kSha1Size = 20;

// Bytes from the system's source of random numbers; false when it fails.
bool randomBytes(unsigned char* out, std::size_t size);

// PBKDF2 with HMAC-SHA1 as its function: `outSize` bytes of key material.
bool pbkdf2HmacSha1(const std::string& password, const unsigned char* salt, std::size_t saltSize, unsigned iterations,
                    unsigned char* out, std::size_t outSize);

// AES (a 16, 24 or 32 byte key) encrypting whole blocks independently:
// the key stream of a counter mode is made from it, many blocks a call.
class AesEcb {
public:
    // Null when the key size is none of AES's or the library refuses.
    static std::unique_ptr<AesEcb> create(const unsigned char* key, std::size_t keySize);
    virtual ~AesEcb() = default;
    // `in` and `out` hold `blocks` blocks; they may be the same buffer.
    virtual bool encryptBlocks(const unsigned char* in, unsigned char* out, std::size_t blocks) = 0;
};

class HmacSha1 {
public:
    static std::unique_ptr<HmacSha1> create(const unsigned char* key, std::size_t keySize);
    virtual ~HmacSha1() = default;
    virtual bool update(const unsigned char* data, std::size_t size) = 0;
    // The code of everything given to update(); once.
    virtual bool finish(unsigned char out[kSha1Size]) = 0;
};

}  // namespace qm::platform::crypto
