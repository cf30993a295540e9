#include "disc/linux/DriveSource.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "disc/linux/Libraries.h"

namespace qm::disc::linuxburn {

using namespace burn;

namespace {

constexpr int kReadAhead = 32;  // blocks per read from the drive

// libisofs reads the image through this, block by block; the drive is asked
// for a few blocks at a time.
struct DriveReader {
    burn_drive* drive = nullptr;
    std::uint32_t capacity = 0;  // readable blocks
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    char cache[kReadAhead * kBlockSize];
};

int openSource(IsoDataSource*) { return 1; }
int closeSource(IsoDataSource*) { return 1; }

int readBlock(IsoDataSource* source, std::uint32_t lba, std::uint8_t* buffer) {
    auto* reader = static_cast<DriveReader*>(source->data);
    if (lba < reader->first || lba >= reader->first + reader->count) {
        std::uint32_t blocks = kReadAhead;
        if (reader->capacity > lba) blocks = std::min<std::uint32_t>(blocks, reader->capacity - lba);
        off_t got = 0;
        if (burn_read_data(reader->drive, static_cast<off_t>(lba) * kBlockSize, reader->cache, blocks * kBlockSize,
                           &got, 2) <= 0) {
            reader->count = 0;
            if (burn_read_data(reader->drive, static_cast<off_t>(lba) * kBlockSize, reader->cache, kBlockSize, &got,
                               2 | 4) <= 0)
                return ISO_DATA_SOURCE_MISHAP;
            blocks = 1;
        }
        reader->first = lba;
        reader->count = blocks;
    }
    std::memcpy(buffer, reader->cache + static_cast<std::size_t>(lba - reader->first) * kBlockSize, kBlockSize);
    return 1;
}

void freeReader(IsoDataSource* source) { delete static_cast<DriveReader*>(source->data); }

std::uint32_t littleEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

IsoDataSource* DriveDataSource(burn_drive* drive) {
    // libisofs frees the structure itself when its last reference goes.
    auto* source = static_cast<IsoDataSource*>(std::calloc(1, sizeof(IsoDataSource)));
    if (!source) return nullptr;
    auto* reader = new DriveReader;
    reader->drive = drive;
    int capacity = 0;
    if (burn_get_read_capacity(drive, &capacity, 0) == 1 && capacity > 0)
        reader->capacity = static_cast<std::uint32_t>(capacity);
    source->version = 0;
    source->refcount = 1;
    source->open = openSource;
    source->close = closeSource;
    source->read_block = readBlock;
    source->free_data = freeReader;
    source->data = reader;
    return source;
}

HeldImage ReadHeldImage(burn_drive* drive) {
    // The volume descriptors from block 16 on: the primary one first (type
    // 1, "CD001", version 1; the volume space size at byte 80, the path
    // table at 140, the root folder's record at 156 with its extent at byte
    // 2 of it; little-endian first), the set ended by type 255. A UDF
    // volume begins right after it ("BEA01").
    HeldImage held;
    constexpr std::uint32_t kFirst = 16, kCount = kDescriptorBlocks - kFirst;
    std::vector<unsigned char> blocks(static_cast<std::size_t>(kCount) * kBlockSize);
    off_t got = 0;
    burn_read_data(drive, kFirst * kBlockSize, reinterpret_cast<char*>(blocks.data()),
                   static_cast<off_t>(blocks.size()), &got, 2);
    const auto block = [&](std::uint32_t i) { return blocks.data() + static_cast<std::size_t>(i) * kBlockSize; };
    if (got < kBlockSize) return held;
    const unsigned char* primary = block(0);
    if (primary[0] != 1 || std::memcmp(primary + 1, "CD001", 5) != 0 || primary[6] != 1) return held;
    held.found = true;
    held.endBlock = littleEndian32(primary + 80);
    held.treeBlock = std::min(littleEndian32(primary + 140), littleEndian32(primary + 156 + 2));
    const std::uint32_t read = static_cast<std::uint32_t>(got / kBlockSize);
    for (std::uint32_t i = 1; i + 1 < read; ++i) {
        if (std::memcmp(block(i) + 1, "CD001", 5) == 0 && block(i)[0] == 255) {
            held.udf = std::memcmp(block(i + 1) + 1, "BEA01", 5) == 0;
            break;
        }
    }
    return held;
}

}  // namespace qm::disc::linuxburn
