#include "archive/WinZipAes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qm::archive::detail {
namespace {

constexpr unsigned kIterations = 1000;
constexpr std::size_t kBlock = platform::crypto::kAesBlock;

std::size_t keySize(int strength) {
    return strength >= 1 && strength <= 3 ? 8 + 8 * static_cast<std::size_t>(strength) : 0;
}

// out ^= key, a word at a time where the compiler can.
void xorInto(unsigned char* out, const unsigned char* key, std::size_t size) {
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= size; i += sizeof(std::uint64_t)) {
        std::uint64_t a, b;
        std::memcpy(&a, out + i, sizeof a);
        std::memcpy(&b, key + i, sizeof b);
        a ^= b;
        std::memcpy(out + i, &a, sizeof a);
    }
    for (; i < size; ++i) out[i] ^= key[i];
}

}  // namespace

std::size_t aesSaltSize(int strength) { return keySize(strength) / 2; }

WinZipAes::WinZipAes() = default;
WinZipAes::~WinZipAes() {
    // The key stream says nothing of the keys, but it is no one's business.
    std::fill(stream_.begin(), stream_.end(), 0);
}

bool WinZipAes::begin(const std::string& password, int strength, const unsigned char* salt,
                      unsigned char verifier[kAesVerifierSize]) {
    const std::size_t key = keySize(strength);
    if (key == 0) return false;
    // The encryption key, the authentication key and the verifier, in a row.
    std::array<unsigned char, 2 * 32 + kAesVerifierSize> material{};
    const std::size_t length = 2 * key + kAesVerifierSize;
    bool ok =
        platform::crypto::pbkdf2HmacSha1(password, salt, aesSaltSize(strength), kIterations, material.data(), length);
    if (ok) {
        aes_ = platform::crypto::AesEcb::create(material.data(), key);
        hmac_ = platform::crypto::HmacSha1::create(material.data() + key, key);
        std::memcpy(verifier, material.data() + 2 * key, kAesVerifierSize);
        ok = aes_ && hmac_;
    }
    std::fill(material.begin(), material.end(), 0);
    counter_ = 0;
    counters_.fill(0);
    streamUsed_ = streamSize_ = 0;
    return ok;
}

bool WinZipAes::refill() {
    // Counter blocks: the block number, little-endian, in the first 8 of
    // the 16 bytes; the rest stays zero (set once in begin()) for any entry
    // a disk can hold.
    for (std::size_t b = 0; b < kStreamBlocks; ++b) {
        std::uint64_t n = ++counter_;
        unsigned char* block = counters_.data() + b * kBlock;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(block, &n, sizeof n);
        } else {
            for (std::size_t i = 0; i < 8; ++i, n >>= 8) block[i] = static_cast<unsigned char>(n);
        }
    }
    streamUsed_ = 0;
    streamSize_ = stream_.size();
    return aes_->encryptBlocks(counters_.data(), stream_.data(), kStreamBlocks);
}

bool WinZipAes::applyKeyStream(unsigned char* data, std::size_t size) {
    if (!aes_) return false;
    while (size > 0) {
        if (streamUsed_ == streamSize_ && !refill()) return false;
        const std::size_t n = std::min(size, streamSize_ - streamUsed_);
        xorInto(data, stream_.data() + streamUsed_, n);
        streamUsed_ += n;
        data += n;
        size -= n;
    }
    return true;
}

bool WinZipAes::encrypt(unsigned char* data, std::size_t size) {
    return applyKeyStream(data, size) && hmac_->update(data, size);
}

bool WinZipAes::decrypt(unsigned char* data, std::size_t size) {
    return hmac_ && hmac_->update(data, size) && applyKeyStream(data, size);
}

bool WinZipAes::finish(unsigned char code[kAesCodeSize]) {
    unsigned char full[platform::crypto::kSha1Size];
    if (!hmac_ || !hmac_->finish(full)) return false;
    std::memcpy(code, full, kAesCodeSize);
    hmac_.reset();
    aes_.reset();
    return true;
}

}  // namespace qm::archive::detail
