// Blocks deflated on several threads and joined must make one raw deflate
// stream that any inflater reads back whole, with the CRC of the data.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "archive/ArchiveSupport.h"
#include "archive/BlockDeflate.h"

namespace qm::archive::detail {
namespace {

// Inflates a raw stream with zlib; empty optional-like flag when it is not
// exactly one whole stream.
bool inflateAll(const std::string& stream, std::string& out) {
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) return false;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    zs.avail_in = static_cast<uInt>(stream.size());
    std::vector<unsigned char> buffer(1 << 16);
    int r = Z_OK;
    while (r == Z_OK) {
        zs.next_out = buffer.data();
        zs.avail_out = static_cast<uInt>(buffer.size());
        r = inflate(&zs, Z_NO_FLUSH);
        out.append(reinterpret_cast<char*>(buffer.data()), buffer.size() - zs.avail_out);
        if (r == Z_BUF_ERROR && zs.avail_in == 0) break;
    }
    const bool whole = r == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    return whole;
}

// Feeds `data` through a deflater as the archive's sources do, reading as
// it goes; the joined stream.
std::string deflateThrough(DeflatePool& pool, const std::string& data, BlockDeflater*& seen) {
    BlockDeflater d(pool);
    seen = nullptr;
    std::string stream;
    std::size_t fed = 0;
    bool ended = false;
    char buffer[8192];
    while (!d.complete()) {
        while (!ended && d.wantsInput()) {
            const std::size_t n = std::min(BlockDeflater::kBlockSize, data.size() - fed);
            Bytes block(data.begin() + static_cast<std::ptrdiff_t>(fed),
                        data.begin() + static_cast<std::ptrdiff_t>(fed + n));
            fed += n;
            ended = fed == data.size();
            EXPECT_TRUE(d.push(std::move(block), ended));
        }
        d.waitOutput(std::chrono::milliseconds(100));
        for (std::size_t n; (n = d.read(buffer, sizeof buffer)) > 0;) stream.append(buffer, n);
        EXPECT_FALSE(d.failed());
        if (d.failed()) break;
    }
    EXPECT_EQ(d.size(), data.size());
    EXPECT_EQ(d.compressedSize(), stream.size());
    EXPECT_EQ(d.crc(), crc32_z(0, reinterpret_cast<const Bytef*>(data.data()), data.size()));
    seen = &d;
    return stream;
}

std::string text(std::size_t size) {
    std::string s;
    for (unsigned i = 0; s.size() < size; ++i)
        s += "Dear team, the meeting on " + std::to_string(i % 977) + " moves.\r\n";
    s.resize(size);
    return s;
}

TEST(BlockDeflateTest, JoinedBlocksAreOneStreamWhateverTheThreads) {
    // Text, noise and zeros across block edges, and a short last block.
    const std::string data = text(1500000) + test::randomBytes(900000, 4) + std::string(700000, '\0') + text(333333);
    for (unsigned threads : {0u, 1u, 2u, 4u}) {
        SCOPED_TRACE(threads);
        DeflatePool pool(5, threads);
        BlockDeflater* seen = nullptr;
        const std::string stream = deflateThrough(pool, data, seen);
        std::string back;
        ASSERT_TRUE(inflateAll(stream, back));
        EXPECT_EQ(back, data);
        EXPECT_LT(stream.size(), data.size() * 6 / 10);
    }
}

TEST(BlockDeflateTest, EmptyAndTinyEntries) {
    DeflatePool pool(5, 2);
    for (const std::string& data : {std::string(), std::string("x"), text(BlockDeflater::kBlockSize)}) {
        SCOPED_TRACE(data.size());
        BlockDeflater* seen = nullptr;
        std::string back;
        ASSERT_TRUE(inflateAll(deflateThrough(pool, data, seen), back));
        EXPECT_EQ(back, data);
    }
}

TEST(BlockDeflateTest, NoiseIsStoredNotSearched) {
    // Deflate cannot shrink noise; stored, it grows only by block headers,
    // while the text around it still shrinks as usual.
    const std::string noise = test::randomBytes(3 * BlockDeflater::kBlockSize, 8);
    DeflatePool pool(5, 2);
    BlockDeflater* seen = nullptr;
    const std::string stream = deflateThrough(pool, noise, seen);
    EXPECT_LT(stream.size(), noise.size() + noise.size() / 1000);
    std::string back;
    ASSERT_TRUE(inflateAll(stream, back));
    EXPECT_EQ(back, noise);
}

TEST(BlockDeflateTest, ADeflaterLeftMidwayWaitsForItsBlocks) {
    DeflatePool pool(5, 2);
    for (int round = 0; round < 5; ++round) {
        BlockDeflater d(pool);
        for (int i = 0; i < 3 && d.wantsInput(); ++i) {
            const std::string t = text(BlockDeflater::kBlockSize);
            EXPECT_TRUE(d.push(Bytes(t.begin(), t.end()), false));
        }
        // Destroyed with blocks queued and running: no crash, no hang.
    }
    BlockDeflater after(pool);
    EXPECT_TRUE(after.push({'o', 'k'}, true));
    ASSERT_TRUE(after.waitOutput(std::chrono::seconds(10)));
}

}  // namespace
}  // namespace qm::archive::detail
