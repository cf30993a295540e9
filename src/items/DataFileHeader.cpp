#include "items/DataFileHeader.h"

#include <zlib.h>

namespace qm::items {

namespace {

constexpr std::size_t kPartialCrcOffset = 4;
constexpr std::size_t kPartialCrcStart = 8;
constexpr std::size_t kPartialCrcLength = 471;
constexpr std::size_t kVersionOffset = 10;
// Versions from 23 on are the Unicode layout; 14 and 15 the ANSI one.
constexpr unsigned kFirstUnicodeVersion = 23;
constexpr std::size_t kUnicodeFileEofOffset = 184;
constexpr std::size_t kUnicodeAMapValidOffset = 248;

std::uint64_t little(const std::string& s, std::size_t offset, std::size_t bytes) {
    std::uint64_t v = 0;
    for (std::size_t i = bytes; i-- > 0;) v = (v << 8) | static_cast<unsigned char>(s[offset + i]);
    return v;
}

}  // namespace

std::uint32_t DataFileCrc(const unsigned char* data, std::size_t length) {
    // zlib's CRC-32 inverts before and after; seeded with all ones and
    // inverted once more, it is the plain table CRC seeded with 0.
    return ~static_cast<std::uint32_t>(crc32_z(0xFFFFFFFFul, data, length));
}

std::string DataFileHeaderProblem(const std::string& head, std::uint64_t fileSize) {
    if (head.size() < kPartialCrcStart + kPartialCrcLength || head.compare(0, 4, "!BDN") != 0)
        return "no data file header";
    const auto* bytes = reinterpret_cast<const unsigned char*>(head.data());
    const std::uint32_t recorded = static_cast<std::uint32_t>(little(head, kPartialCrcOffset, 4));
    if (DataFileCrc(bytes + kPartialCrcStart, kPartialCrcLength) != recorded)
        return "the header is damaged (its checksum does not match)";
    if (little(head, kVersionOffset, 2) < kFirstUnicodeVersion) return {};

    std::string problem;
    if (static_cast<unsigned char>(head[kUnicodeAMapValidOffset]) == 0) problem = kNotClosedCleanly;
    const std::uint64_t eof = little(head, kUnicodeFileEofOffset, 8);
    if (eof != fileSize) {
        if (!problem.empty()) problem += "; ";
        problem += "its header records " + std::to_string(eof) + " bytes, the file has " + std::to_string(fileSize);
    }
    return problem;
}

}  // namespace qm::items
