// The crypto primitives over Windows' BCrypt (CNG): the system's own
// implementations, with the processor's AES instructions where it has them.
#include <windows.h>
// After <windows.h>.
#include <bcrypt.h>

#include "platform/Crypto.h"

namespace qm::platform::crypto {
namespace {

// BCrypt takes lengths as ULONG: long buffers go in pieces.
constexpr std::size_t kMaxCall = std::size_t{1} << 30;

bool ok(NTSTATUS status) { return status >= 0; }

class Provider {
public:
    Provider(const wchar_t* algorithm, ULONG flags) {
        if (!ok(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, flags))) handle_ = nullptr;
    }
    ~Provider() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class BCryptAesEcb final : public AesEcb {
public:
    BCryptAesEcb() : provider_(BCRYPT_AES_ALGORITHM, 0) {}
    ~BCryptAesEcb() override {
        if (key_) BCryptDestroyKey(key_);
    }
    BCryptAesEcb(const BCryptAesEcb&) = delete;
    BCryptAesEcb& operator=(const BCryptAesEcb&) = delete;

    bool open(const unsigned char* key, std::size_t keySize) {
        if (!provider_.get()) return false;
        auto* mode = const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB);
        if (!ok(BCryptSetProperty(provider_.get(), BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode),
                                  sizeof(BCRYPT_CHAIN_MODE_ECB), 0)))
            return false;
        return ok(BCryptGenerateSymmetricKey(provider_.get(), &key_, nullptr, 0, const_cast<PUCHAR>(key),
                                             static_cast<ULONG>(keySize), 0));
    }

    bool encryptBlocks(const unsigned char* in, unsigned char* out, std::size_t blocks) override {
        std::size_t left = blocks * kAesBlock;
        while (left > 0) {
            const std::size_t n = left < kMaxCall ? left : kMaxCall;
            ULONG written = 0;
            if (!ok(BCryptEncrypt(key_, const_cast<PUCHAR>(in), static_cast<ULONG>(n), nullptr, nullptr, 0, out,
                                  static_cast<ULONG>(n), &written, 0)) ||
                written != n)
                return false;
            in += n;
            out += n;
            left -= n;
        }
        return true;
    }

private:
    Provider provider_;
    BCRYPT_KEY_HANDLE key_ = nullptr;
};

class BCryptHmacSha1 final : public HmacSha1 {
public:
    BCryptHmacSha1() : provider_(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG) {}
    ~BCryptHmacSha1() override {
        if (hash_) BCryptDestroyHash(hash_);
    }
    BCryptHmacSha1(const BCryptHmacSha1&) = delete;
    BCryptHmacSha1& operator=(const BCryptHmacSha1&) = delete;

    bool open(const unsigned char* key, std::size_t keySize) {
        return provider_.get() && ok(BCryptCreateHash(provider_.get(), &hash_, nullptr, 0, const_cast<PUCHAR>(key),
                                                      static_cast<ULONG>(keySize), 0));
    }

    bool update(const unsigned char* data, std::size_t size) override {
        while (size > 0) {
            const std::size_t n = size < kMaxCall ? size : kMaxCall;
            if (!ok(BCryptHashData(hash_, const_cast<PUCHAR>(data), static_cast<ULONG>(n), 0))) return false;
            data += n;
            size -= n;
        }
        return true;
    }
    bool finish(unsigned char out[kSha1Size]) override {
        return ok(BCryptFinishHash(hash_, out, static_cast<ULONG>(kSha1Size), 0));
    }

private:
    Provider provider_;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

bool randomBytes(unsigned char* out, std::size_t size) {
    while (size > 0) {
        const std::size_t n = size < kMaxCall ? size : kMaxCall;
        if (!ok(BCryptGenRandom(nullptr, out, static_cast<ULONG>(n), BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
        out += n;
        size -= n;
    }
    return true;
}

bool pbkdf2HmacSha1(const std::string& password, const unsigned char* salt, std::size_t saltSize, unsigned iterations,
                    unsigned char* out, std::size_t outSize) {
    if (iterations == 0 || password.size() > kMaxCall || saltSize > kMaxCall || outSize > kMaxCall) return false;
    const Provider prf(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (!prf.get()) return false;
    return ok(BCryptDeriveKeyPBKDF2(prf.get(), reinterpret_cast<PUCHAR>(const_cast<char*>(password.data())),
                                    static_cast<ULONG>(password.size()), const_cast<PUCHAR>(salt),
                                    static_cast<ULONG>(saltSize), iterations, out, static_cast<ULONG>(outSize), 0));
}

std::unique_ptr<AesEcb> AesEcb::create(const unsigned char* key, std::size_t keySize) {
    if (keySize != 16 && keySize != 24 && keySize != 32) return nullptr;
    auto aes = std::make_unique<BCryptAesEcb>();
    if (!aes->open(key, keySize)) return nullptr;
    return aes;
}

std::unique_ptr<HmacSha1> HmacSha1::create(const unsigned char* key, std::size_t keySize) {
    if (keySize > kMaxCall) return nullptr;
    auto hmac = std::make_unique<BCryptHmacSha1>();
    if (!hmac->open(key, keySize)) return nullptr;
    return hmac;
}

}  // namespace qm::platform::crypto
