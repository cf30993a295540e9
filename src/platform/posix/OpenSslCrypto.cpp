// The crypto primitives over OpenSSL's EVP interface (AES-NI and SHA
// extensions where the processor has them).
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <climits>

#include "platform/Crypto.h"

namespace qm::platform::crypto {
namespace {

// EVP takes lengths as int: long buffers go in pieces.
constexpr std::size_t kMaxCall = std::size_t{1} << 30;

class OpenSslAesEcb final : public AesEcb {
public:
    explicit OpenSslAesEcb(EVP_CIPHER_CTX* ctx) : ctx_(ctx) {}
    ~OpenSslAesEcb() override { EVP_CIPHER_CTX_free(ctx_); }
    OpenSslAesEcb(const OpenSslAesEcb&) = delete;
    OpenSslAesEcb& operator=(const OpenSslAesEcb&) = delete;

    bool encryptBlocks(const unsigned char* in, unsigned char* out, std::size_t blocks) override {
        std::size_t left = blocks * kAesBlock;
        while (left > 0) {
            const std::size_t n = left < kMaxCall ? left : kMaxCall;
            int written = 0;
            if (EVP_EncryptUpdate(ctx_, out, &written, in, static_cast<int>(n)) != 1 || written != static_cast<int>(n))
                return false;
            in += n;
            out += n;
            left -= n;
        }
        return true;
    }

private:
    EVP_CIPHER_CTX* ctx_;
};

class OpenSslHmacSha1 final : public HmacSha1 {
public:
    OpenSslHmacSha1(EVP_MAC* mac, EVP_MAC_CTX* ctx) : mac_(mac), ctx_(ctx) {}
    ~OpenSslHmacSha1() override {
        EVP_MAC_CTX_free(ctx_);
        EVP_MAC_free(mac_);
    }
    OpenSslHmacSha1(const OpenSslHmacSha1&) = delete;
    OpenSslHmacSha1& operator=(const OpenSslHmacSha1&) = delete;

    bool update(const unsigned char* data, std::size_t size) override {
        return size == 0 || EVP_MAC_update(ctx_, data, size) == 1;
    }
    bool finish(unsigned char out[kSha1Size]) override {
        std::size_t written = 0;
        return EVP_MAC_final(ctx_, out, &written, kSha1Size) == 1 && written == kSha1Size;
    }

private:
    EVP_MAC* mac_;
    EVP_MAC_CTX* ctx_;
};

}  // namespace

bool randomBytes(unsigned char* out, std::size_t size) {
    while (size > 0) {
        const std::size_t n = size < kMaxCall ? size : kMaxCall;
        if (RAND_bytes(out, static_cast<int>(n)) != 1) return false;
        out += n;
        size -= n;
    }
    return true;
}

bool pbkdf2HmacSha1(const std::string& password, const unsigned char* salt, std::size_t saltSize, unsigned iterations,
                    unsigned char* out, std::size_t outSize) {
    if (password.size() > INT_MAX || saltSize > INT_MAX || outSize > INT_MAX || iterations == 0 || iterations > INT_MAX)
        return false;
    return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt, static_cast<int>(saltSize),
                             static_cast<int>(iterations), EVP_sha1(), static_cast<int>(outSize), out) == 1;
}

std::unique_ptr<AesEcb> AesEcb::create(const unsigned char* key, std::size_t keySize) {
    const EVP_CIPHER* cipher = keySize == 16   ? EVP_aes_128_ecb()
                               : keySize == 24 ? EVP_aes_192_ecb()
                               : keySize == 32 ? EVP_aes_256_ecb()
                                               : nullptr;
    if (!cipher) return nullptr;
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    if (!ctx) return nullptr;
    if (EVP_EncryptInit_ex(ctx, cipher, nullptr, key, nullptr) != 1 || EVP_CIPHER_CTX_set_padding(ctx, 0) != 1) {
        EVP_CIPHER_CTX_free(ctx);
        return nullptr;
    }
    return std::make_unique<OpenSslAesEcb>(ctx);
}

std::unique_ptr<HmacSha1> HmacSha1::create(const unsigned char* key, std::size_t keySize) {
    EVP_MAC* mac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
    if (!mac) return nullptr;
    EVP_MAC_CTX* ctx = EVP_MAC_CTX_new(mac);
    char digest[] = "SHA1";
    const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                 OSSL_PARAM_construct_end()};
    if (!ctx || EVP_MAC_init(ctx, key, keySize, params) != 1) {
        EVP_MAC_CTX_free(ctx);
        EVP_MAC_free(mac);
        return nullptr;
    }
    return std::make_unique<OpenSslHmacSha1>(mac, ctx);
}

}  // namespace qm::platform::crypto
