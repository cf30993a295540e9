#pragma once
// The header of a personal-folder data file, looked at before the file is
// stored: a file Outlook left open or a damaged one is still stored (it may
// be the user's only copy), but the run names it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm::items {

// The data file format's own CRC: the CRC-32 table of polynomial 0xEDB88320,
// seeded with 0 and without a final inversion.
std::uint32_t DataFileCrc(const unsigned char* data, std::size_t length);

// How many bytes of the file the check reads.
inline constexpr std::size_t kDataFileHeaderSize = 512;

// Empty when the header is sound; otherwise what is wrong with it. `head` is
// the start of the file (up to kDataFileHeaderSize bytes), `fileSize` its
// size. Checked: the magic "!BDN", the CRC of the 471 bytes from offset 8,
// and for a Unicode file the end-of-file offset it records and whether it
// was closed cleanly.
std::string DataFileHeaderProblem(const std::string& head, std::uint64_t fileSize);

inline constexpr const char* kNotClosedCleanly = "not closed cleanly: close Outlook before the backup";

}  // namespace qm::items
