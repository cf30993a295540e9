#pragma once
// WinZip's AES entry format (AE-1/AE-2), composed from the platform's crypto
// primitives: the stored data is a salt, a 2-byte password verifier, the
// compressed data encrypted with AES in counter mode (a little-endian block
// counter starting at 1) and the first 10 bytes of an HMAC-SHA1 over the
// encrypted data. The keys come from PBKDF2-HMAC-SHA1 (1000 iterations) of
// the password and the salt. Whole buffers at a time: the key stream is made
// many blocks per call and the code is computed over large pieces.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Crypto.h"

namespace qm::archive::detail {

constexpr std::size_t kAesVerifierSize = 2;
constexpr std::size_t kAesCodeSize = 10;
constexpr std::size_t kAesMaxSaltSize = 16;

// The key strengths of the format: 1, 2, 3 for AES-128, -192, -256.
std::size_t aesSaltSize(int strength);

// One entry's encryption or decryption, from the first byte to the code.
class WinZipAes {
public:
    WinZipAes();
    ~WinZipAes();
    WinZipAes(const WinZipAes&) = delete;
    WinZipAes& operator=(const WinZipAes&) = delete;

    // Derives the keys for `strength` from the password and the salt
    // (aesSaltSize(strength) bytes) and tells the verifier they give. False
    // when the crypto library fails or the strength is none of the three.
    bool begin(const std::string& password, int strength, const unsigned char* salt,
               unsigned char verifier[kAesVerifierSize]);
    // In place: encrypts and takes the result into the code.
    bool encrypt(unsigned char* data, std::size_t size);
    // In place: takes the data into the code and decrypts it.
    bool decrypt(unsigned char* data, std::size_t size);
    // The authentication code of all the data encrypted or decrypted.
    bool finish(unsigned char code[kAesCodeSize]);

private:
    bool applyKeyStream(unsigned char* data, std::size_t size);
    bool refill();

    // Blocks of key stream made per call of the cipher.
    static constexpr std::size_t kStreamBlocks = 512;

    std::unique_ptr<platform::crypto::AesEcb> aes_;
    std::unique_ptr<platform::crypto::HmacSha1> hmac_;
    std::uint64_t counter_ = 0;  // the last block counter used
    std::array<unsigned char, kStreamBlocks * platform::crypto::kAesBlock> counters_{};
    std::array<unsigned char, kStreamBlocks * platform::crypto::kAesBlock> stream_{};
    std::size_t streamUsed_ = 0;
    std::size_t streamSize_ = 0;
};

}  // namespace qm::archive::detail
