// The data-file header check: its CRC against a plain bit-by-bit reference,
// and each way a header can fail. (The format document's own sample header
// is not at hand here; the vectors come from the algorithm itself.)
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "items/DataFileHeader.h"
#include "sample/SampleInstallation.h"

namespace qm::items {
namespace {

// The table CRC written out bit by bit: polynomial 0xEDB88320, seed 0, no
// final inversion.
std::uint32_t bitwiseCrc(const std::string& data) {
    std::uint32_t crc = 0;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
    }
    return crc;
}

std::uint32_t crcOf(const std::string& s) {
    return DataFileCrc(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

void putLe(std::string& s, std::size_t at, std::uint64_t v, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The partial CRC written again after a change.
void reseal(std::string& file) { putLe(file, 4, crcOf(file.substr(8, 471)), 4); }

TEST(DataFileHeaderTest, CrcMatchesTheBitwiseDefinition) {
    EXPECT_EQ(crcOf("123456789"), 0x2DFD2D88u);
    EXPECT_EQ(crcOf(std::string(471, '\0')), 0u) << "seeded with 0, nothing inverted";
    std::mt19937 rng(7);
    for (std::size_t size : {1u, 471u, 516u, 4096u}) {
        std::string data(size, '\0');
        for (char& c : data) c = static_cast<char>(rng() & 0xFF);
        EXPECT_EQ(crcOf(data), bitwiseCrc(data)) << size;
    }
}

TEST(DataFileHeaderTest, CleanFilesOfBothLayoutsPass) {
    const std::string unicode = sample::pstFileBytes(64 * 1024, 3, true);
    const std::string ansi = sample::pstFileBytes(64 * 1024, 4, false);
    EXPECT_EQ(DataFileHeaderProblem(unicode.substr(0, kDataFileHeaderSize), unicode.size()), "");
    EXPECT_EQ(DataFileHeaderProblem(ansi.substr(0, kDataFileHeaderSize), ansi.size()), "");
    // The full-header CRC of the Unicode layout agrees with the reference.
    std::uint32_t full = 0;
    for (int i = 3; i >= 0; --i) full = (full << 8) | static_cast<unsigned char>(unicode[524 + static_cast<std::size_t>(i)]);
    EXPECT_EQ(full, bitwiseCrc(unicode.substr(8, 516)));
}

TEST(DataFileHeaderTest, EachFaultIsNamed) {
    const std::string clean = sample::pstFileBytes(64 * 1024, 5, true);
    auto problem = [](const std::string& file, std::uint64_t size) {
        return DataFileHeaderProblem(file.substr(0, kDataFileHeaderSize), size);
    };

    std::string noMagic = clean;
    noMagic[1] = 'X';
    EXPECT_EQ(problem(noMagic, clean.size()), "no data file header");
    EXPECT_EQ(problem(clean.substr(0, 100), 100), "no data file header");

    std::string badCrc = clean;
    badCrc[300] ^= 0x10;
    EXPECT_EQ(problem(badCrc, clean.size()), "the header is damaged (its checksum does not match)");

    std::string open = clean;
    open[248] = 0;  // the allocation map is not valid
    reseal(open);
    EXPECT_EQ(problem(open, clean.size()), kNotClosedCleanly);

    // Grown or cut since the header was written.
    EXPECT_EQ(problem(clean, clean.size() + 8192),
              "its header records 65536 bytes, the file has 73728");
    EXPECT_EQ(problem(open, clean.size() - 1),
              std::string(kNotClosedCleanly) + "; its header records 65536 bytes, the file has 65535");

    // The end of the file and the map are Unicode fields: an ANSI file is
    // checked for its magic and CRC only.
    std::string ansi = sample::pstFileBytes(64 * 1024, 6, false);
    EXPECT_EQ(problem(ansi, ansi.size() + 1), "");
    ansi[20] ^= 0x01;
    EXPECT_EQ(problem(ansi, ansi.size()), "the header is damaged (its checksum does not match)");
}

}  // namespace
}  // namespace qm::items
