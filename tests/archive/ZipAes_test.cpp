// Protected archives against their peers: the bytes libzip's own encryption
// writes, 7-Zip and libzip reading ours, ours reading 7-Zip's (AES-128 to
// -256, stored and deflated, AE-2 without a CRC), every byte authenticated
// (also when a restore stages the entry), and the key stream carried across
// reads of any length.
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "archive/AesFormatCases.h"
#include "archive/WinZipAes.h"
#include "archive/ZipFixture.h"
#include "archive/ZipSources.h"
#include "platform/Crypto.h"

namespace qm::archive {
namespace {

using test::readHostFile;
using test::win;

// Text that deflates well mixed with noise that does not, over several blocks.
std::string mailLike(std::size_t size, unsigned seed) {
    std::string s;
    const std::string noise = test::randomBytes(40 * 1024, seed);
    for (unsigned i = 0; s.size() < size; ++i) {
        if (i % 3 == 2) {
            s += noise;
        } else {
            for (int k = 0; k < 700; ++k) s += "Re: invoice " + std::to_string((i * 37 + k * 11) % 1009) + " ok\r\n";
        }
    }
    s.resize(size);
    return s;
}

// libzip reading an entry with its own decryption.
std::string throughLibzip(const std::string& archiveHost, const std::string& name, const std::string& password) {
    int error = 0;
    zip_t* za = zip_open(archiveHost.c_str(), ZIP_RDONLY, &error);
    if (!za) return "<no archive>";
    std::string out = "<failed>";
    if (zip_file_t* f = zip_fopen_encrypted(za, name.c_str(), 0, password.c_str())) {
        std::string data;
        char buffer[65536];
        zip_int64_t n;
        while ((n = zip_fread(f, buffer, sizeof buffer)) > 0) data.append(buffer, static_cast<std::size_t>(n));
        if (zip_fclose(f) == 0 && n == 0) out = data;
    }
    zip_discard(za);
    return out;
}

class ZipAesTest : public test::ZipFixture {};

TEST_F(ZipAesTest, EntriesAreTheBytesLibzipsOwnEncryptionWrites) {
    // Empty, shorter than 20 bytes (AE-2 keeps no CRC then), and several
    // blocks of text and noise, whose encryption crosses libzip's reads.
    for (const std::string& data :
         {std::string(), std::string("0123456789012345678"), std::string(20, 'x'), mailLike(3'300'000, 21)}) {
        SCOPED_TRACE(data.size());
        const std::string source = put("data.pst", data);
        ASSERT_TRUE(test::writeBothWays(*files, source, win(dir / "libzip.zip"), win(dir / "ours.zip"), "Pa55", why))
            << why;
        const std::string libzips = readHostFile(dir / "libzip.zip");
        EXPECT_EQ(readHostFile(dir / "ours.zip"), libzips);
        EXPECT_EQ(throughLibzip(dir / "ours.zip", "entry.pst", "Pa55"), data);
    }
}

TEST_F(ZipAesTest, EveryByteOfAProtectedEntryIsAuthenticated) {
    const auto small = put("small.dat", "BackupItem=0000100000\r\nDescription=every byte\r\n");
    const auto big = put("big.pst", mailLike(2'500'000, 22));
    ASSERT_TRUE(build({small, big}, "S3cret")) << why;
    // The salt, the verifier, each byte of the data and of the code.
    EXPECT_EQ(test::unnoticedFlips(*files, archive, "small.dat", "S3cret", 1), 0);
    EXPECT_EQ(test::unnoticedFlips(*files, archive, "big.pst", "S3cret", 9973), 0);
}

TEST_F(ZipAesTest, SevenZipAndLibzipOpenOurProtectedArchives) {
    const std::map<std::string, std::string> sources = {
        {"big.pst", mailLike(4'200'000, 23)},
        {"noise.pst", test::randomBytes(1'300'000, 24)},
        {"empty.txt", ""},
        {"tiny.txt", "1"},
    };
    std::vector<std::string> paths;
    for (const auto& [name, data] : sources) paths.push_back(put(name, data));
    ASSERT_TRUE(build(paths, "pa ss=\"word\"")) << why;

    EXPECT_EQ(test::shell("7z t -p'pa ss=\"word\"' '" + archiveHost + "' </dev/null >/dev/null 2>&1"), 0);
    ASSERT_EQ(
        test::shell("7z x -y -p'pa ss=\"word\"' -o'" + outHost + "' '" + archiveHost + "' </dev/null >/dev/null 2>&1"),
        0);
    for (const auto& [name, data] : sources) {
        SCOPED_TRACE(name);
        EXPECT_EQ(readHostFile(outHost + "/" + name), data) << "7-Zip";
        EXPECT_EQ(throughLibzip(archiveHost, name, "pa ss=\"word\""), data) << "libzip";
    }
    EXPECT_NE(test::shell("7z t -pwrong '" + archiveHost + "' </dev/null >/dev/null 2>&1"), 0);
    EXPECT_EQ(throughLibzip(archiveHost, "big.pst", "wrong"), "<failed>");
}

TEST_F(ZipAesTest, ReadsOtherToolsWinZipAesEntries) {
    // 7-Zip writes AE-2 entries without a CRC, which libzip 1.7.3 refuses
    // from 20 bytes on; its authentication code is what checks them here.
    const std::string text = mailLike(1'700'000, 25);
    put("a.pst", text);
    put("s.txt", "short");
    for (const char* method : {"AES128", "AES192", "AES256"}) {
        for (const char* level : {"-mx=0", "-mx=1"}) {
            SCOPED_TRACE(std::string(method) + " " + level);
            const std::string theirs = dir / (std::string(method) + level + ".zip");
            ASSERT_EQ(test::shell(std::string("cd '") + srcHost + "' && 7z a -tzip " + level + " -mem=" + method +
                                  " -pTheirs '" + theirs + "' a.pst s.txt >/dev/null"),
                      0);
            Zip reader(*files);
            ASSERT_TRUE(reader.OpenArchive(win(theirs), why)) << why;
            reader.setArchivePassword("Theirs");
            EXPECT_TRUE(reader.TestArchive().empty());
            const auto got = contents(theirs, "Theirs");
            EXPECT_EQ(got.at("a.pst"), text);
            EXPECT_EQ(got.at("s.txt"), "short");
            reader.setArchivePassword("theirs");
            EXPECT_EQ(reader.TestArchive(), (std::vector<std::string>{"a.pst", "s.txt"}));
        }
    }
}

// Takes each staged file and puts it in place at once, as a restore's
// commit would later.
class PuttingStaging final : public ExtractionStaging {
public:
    std::vector<std::string> kept;
    bool keep(std::unique_ptr<platform::ReplaceStream> file, const std::string& target, std::string& why) override {
        if (!file->commit()) {
            why = file->error();
            return false;
        }
        kept.push_back(target);
        return true;
    }
};

// The archive's bytes with the uncompressed size its headers record for
// `name` changed by `delta` (the local header and the central directory).
std::string withRecordedSize(std::string bytes, const std::string& name, long delta) {
    auto patch = [&](std::size_t at) {
        std::uint32_t size = 0;
        for (int i = 0; i < 4; ++i)
            size |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
        size = static_cast<std::uint32_t>(static_cast<long>(size) + delta);
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(size >> (8 * i));
    };
    for (const auto& [signature, sizeAt, nameAt] :
         {std::tuple<std::string, std::size_t, std::size_t>{"PK\x03\x04", 22, 30}, {"PK\x01\x02", 24, 46}}) {
        for (std::size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 1))
            if (bytes.compare(at + nameAt, name.size(), name) == 0) patch(at + sizeAt);
    }
    return bytes;
}

TEST_F(ZipAesTest, AStagedProtectedEntryKeepsEveryCheck) {
    const std::string text = mailLike(2'600'000, 28);
    ASSERT_TRUE(build({put("big.pst", text)}, "Stage.1")) << why;
    const std::string sound = readHostFile(archiveHost);
    std::string raw;
    const std::string target = win(outHost + "/big.pst");

    // What a restore does with the entry: false with a reason, and then
    // nothing staged and nothing left beside the target.
    auto stage = [&](const std::string& bytes, const std::string& password, std::uint64_t maxBytes = UINT64_MAX) {
        test::writeHostFile(dir / "copy.qmk", bytes);
        Zip reader(*files);
        why.clear();
        if (!reader.OpenArchive(win(dir / "copy.qmk"), why)) return false;
        reader.setArchivePassword(password);
        PuttingStaging staging;
        const bool staged = reader.FindEntry("big.pst").StageEntryAs(target, staging, why, maxBytes);
        EXPECT_EQ(staging.kept.size(), staged ? 1u : 0u);
        if (!staged) {
            EXPECT_FALSE(why.empty());
            EXPECT_TRUE(test::treeOf(outHost).empty()) << test::treeOf(outHost).front();
        }
        return staged;
    };

    ASSERT_TRUE(stage(sound, "Stage.1")) << why;
    EXPECT_EQ(readHostFile(outHost + "/big.pst"), text);
    ASSERT_TRUE(std::filesystem::remove(outHost + "/big.pst"));

    EXPECT_FALSE(stage(sound, "stage.1"));
    EXPECT_FALSE(stage(sound, "Stage.1", text.size() - 1));
    EXPECT_NE(why.find("more than"), std::string::npos) << why;
    // A header that records less than the entry holds: the data stops there.
    EXPECT_FALSE(stage(withRecordedSize(sound, "big.pst", -4096), "Stage.1"));
    EXPECT_FALSE(stage(withRecordedSize(sound, "big.pst", 1), "Stage.1"));
    // A byte of the encrypted data late in the entry, after most of it
    // was written out: the authentication code refuses it.
    const std::size_t late = sound.find("PK\x01\x02") - 5000;
    std::string flipped = sound;
    flipped[late] = static_cast<char>(flipped[late] ^ 0x01);
    EXPECT_FALSE(stage(flipped, "Stage.1"));
}

TEST(WinZipAesTest, TheKeyStreamCarriesOnAcrossPiecesOfAnyLength) {
    const std::string password = "key stream";
    unsigned char salt[16];
    for (unsigned i = 0; i < sizeof salt; ++i) salt[i] = static_cast<unsigned char>(i * 7);
    // Past the blocks made per call, and past counters of one byte.
    const std::string plain = mailLike(9000 * 16 + 5, 26);

    auto encryptInPieces = [&](const std::vector<std::size_t>& pieces, std::string& code) {
        detail::WinZipAes aes;
        unsigned char verifier[2];
        EXPECT_TRUE(aes.begin(password, 3, salt, verifier));
        std::string data = plain;
        auto* p = reinterpret_cast<unsigned char*>(data.data());
        std::size_t at = 0;
        for (std::size_t i = 0; at < data.size(); ++i) {
            const std::size_t n = std::min(pieces[i % pieces.size()], data.size() - at);
            EXPECT_TRUE(aes.encrypt(p + at, n));
            at += n;
        }
        unsigned char c[detail::kAesCodeSize];
        EXPECT_TRUE(aes.finish(c));
        code.assign(reinterpret_cast<char*>(c), sizeof c);
        return data;
    };
    std::string code;
    const std::string whole = encryptInPieces({plain.size()}, code);
    for (const auto& pieces : {std::vector<std::size_t>{1}, std::vector<std::size_t>{15, 17, 8191},
                               std::vector<std::size_t>{3, 65536, 1, 16}}) {
        std::string otherCode;
        EXPECT_EQ(encryptInPieces(pieces, otherCode), whole);
        EXPECT_EQ(otherCode, code);
    }

    // Counter mode with a little-endian block counter from 1: the key
    // stream is AES of the counter blocks under the derived key.
    unsigned char keys[66];
    ASSERT_TRUE(platform::crypto::pbkdf2HmacSha1(password, salt, sizeof salt, 1000, keys, sizeof keys));
    auto aes = platform::crypto::AesEcb::create(keys, 32);
    ASSERT_TRUE(aes);
    for (std::uint64_t counter : {1u, 2u, 255u, 256u, 257u, 512u, 513u, 9000u}) {
        unsigned char block[16] = {};
        for (int i = 0; i < 8; ++i) block[i] = static_cast<unsigned char>(counter >> (8 * i));
        ASSERT_TRUE(aes->encryptBlocks(block, block, 1));
        const std::size_t at = (counter - 1) * 16;
        for (std::size_t i = 0; i < 16; ++i)
            ASSERT_EQ(static_cast<unsigned char>(whole[at + i] ^ plain[at + i]), block[i]) << counter << " " << i;
    }

    // Decrypted in other pieces: the same data and code; another password's
    // keys give another code.
    for (const std::string& key : {password, std::string("other")}) {
        detail::WinZipAes back;
        unsigned char verifier[2];
        ASSERT_TRUE(back.begin(key, 3, salt, verifier));
        std::string data = whole;
        auto* p = reinterpret_cast<unsigned char*>(data.data());
        for (std::size_t at = 0; at < data.size(); at += 4099)
            ASSERT_TRUE(back.decrypt(p + at, std::min<std::size_t>(4099, data.size() - at)));
        unsigned char c[detail::kAesCodeSize];
        ASSERT_TRUE(back.finish(c));
        EXPECT_EQ(key == password, std::string(reinterpret_cast<char*>(c), sizeof c) == code);
        EXPECT_EQ(key == password, data == plain);
    }
}

TEST_F(ZipAesTest, ACryptoFailureFailsTheWriteNotTheEntry) {
    const std::string source = put("a.pst", mailLike(100'000, 27));
    detail::DeflatePool pool(1, 1);
    int lastPercent = 0;
    detail::WriteSession session;
    session.pool = &pool;
    session.lastPercent = &lastPercent;
    const std::string password = "pw";
    session.password = &password;
    session.makeSalt = [](unsigned char*, std::size_t) { return false; };
    detail::EntrySource entry(*files, session, 0, source, files->stat(source));
    int error = 0;
    zip_t* za = zip_open((dir / "x.zip").c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(za, nullptr);
    zip_source_t* zs = zip_source_function_create(&detail::EntrySource::callback, &entry, nullptr);
    const zip_int64_t index = zip_file_add(za, "a.pst", zs, 0);
    ASSERT_GE(index, 0);
    ASSERT_EQ(zip_file_set_encryption(za, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, nullptr), 0);
    EXPECT_NE(zip_close(za), 0);
    zip_discard(za);
    EXPECT_EQ(session.failedEntry, -1) << "no file is left out for it";
    EXPECT_FALSE(session.problem.empty());
}

}  // namespace
}  // namespace qm::archive
