// The crypto primitives against published answers: PBKDF2-HMAC-SHA1 (RFC
// 6070), AES (FIPS-197, appendix C), HMAC-SHA1 (RFC 2202). Built into the
// Linux suite (OpenSSL) and the Windows one (BCrypt, under Wine).
#include "platform/Crypto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm::platform::crypto {
namespace {

std::string hex(const unsigned char* data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < size; ++i) {
        s += digits[data[i] >> 4];
        s += digits[data[i] & 15];
    }
    return s;
}

std::vector<unsigned char> bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<unsigned char> counting(std::size_t size) {
    std::vector<unsigned char> v(size);
    for (std::size_t i = 0; i < size; ++i) v[i] = static_cast<unsigned char>(i);
    return v;
}

TEST(CryptoTest, Pbkdf2HmacSha1GivesRfc6070sAnswers) {
    struct Case {
        std::string password, salt;
        unsigned iterations;
        std::size_t length;
        const char* expected;
    } cases[] = {
        {"password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
        {"password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
        {"password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1"},
        {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25,
         "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
        {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, 16, "56fa6aa75548099dcc37d7f03425e0c3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        std::vector<unsigned char> out(c.length);
        const auto salt = bytes(c.salt);
        ASSERT_TRUE(pbkdf2HmacSha1(c.password, salt.data(), salt.size(), c.iterations, out.data(), out.size()));
        EXPECT_EQ(hex(out.data(), out.size()), c.expected);
    }
}

TEST(CryptoTest, AesEncryptsFips197sBlocksManyAtATime) {
    std::vector<unsigned char> plain(kAesBlock);
    for (std::size_t i = 0; i < kAesBlock; ++i) plain[i] = static_cast<unsigned char>(0x11 * i);
    struct Case {
        std::size_t keySize;
        const char* expected;
    } cases[] = {
        {16, "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {24, "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {32, "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keySize);
        const auto key = counting(c.keySize);
        auto aes = AesEcb::create(key.data(), key.size());
        ASSERT_TRUE(aes);
        unsigned char out[kAesBlock];
        ASSERT_TRUE(aes->encryptBlocks(plain.data(), out, 1));
        EXPECT_EQ(hex(out, sizeof out), c.expected);

        // Many blocks in one call, in place, are each the block alone.
        std::vector<unsigned char> many;
        for (int i = 0; i < 1000; ++i) many.insert(many.end(), plain.begin(), plain.end());
        many[16 * 500] ^= 1;
        ASSERT_TRUE(aes->encryptBlocks(many.data(), many.data(), 1000));
        for (std::size_t b = 0; b < 1000; ++b) {
            if (b == 500) continue;
            ASSERT_EQ(hex(many.data() + 16 * b, kAesBlock), c.expected) << b;
        }
        EXPECT_NE(hex(many.data() + 16 * 500, kAesBlock), c.expected);
    }
    const auto odd = counting(20);
    EXPECT_FALSE(AesEcb::create(odd.data(), odd.size()));
}

TEST(CryptoTest, HmacSha1GivesRfc2202sAnswersInAnyPieces) {
    struct Case {
        std::string key, data;
        const char* expected;
    } cases[] = {
        {std::string(20, '\x0b'), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
        {"Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        {std::string(20, '\xaa'), std::string(50, '\xdd'), "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
        {std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
         "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const auto key = bytes(c.key);
        const auto data = bytes(c.data);
        for (std::size_t piece : {data.size(), std::size_t{1}, std::size_t{7}}) {
            auto hmac = HmacSha1::create(key.data(), key.size());
            ASSERT_TRUE(hmac);
            for (std::size_t at = 0; at < data.size(); at += piece)
                ASSERT_TRUE(hmac->update(data.data() + at, std::min(piece, data.size() - at)));
            unsigned char out[kSha1Size];
            ASSERT_TRUE(hmac->finish(out));
            EXPECT_EQ(hex(out, sizeof out), c.expected) << "pieces of " << piece;
        }
    }
}

TEST(CryptoTest, RandomBytesAreFilledAndDiffer) {
    std::vector<unsigned char> a(64, 0), b(64, 0);
    ASSERT_TRUE(randomBytes(a.data(), a.size()));
    ASSERT_TRUE(randomBytes(b.data(), b.size()));
    EXPECT_NE(a, b);
    EXPECT_NE(a, std::vector<unsigned char>(64, 0));
}

}  // namespace
}  // namespace qm::platform::crypto
