#pragma once
// Reading entries back to their end, as a restore does: decrypted and
// authenticated when protected, inflated, and checked against their CRC and
// size. Used to check an archive before it replaces the earlier one, and to
// test a backup file on demand.
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace qm::archive::detail {

// Called with each piece of the entry's data; answering false stops the read.
using EntryDataSink = std::function<bool(const unsigned char* data, std::size_t length)>;
// Told how many bytes of the entry's data were accounted for; answering
// false stops the check.
using CheckProgress = std::function<bool(std::uint64_t bytes)>;

// Hands the entry's data to `sink`, one piece at a time, on the thread that
// inflates it: a large entry is inflated on a second thread while its stored
// data is read and decrypted on the caller's. WinZip AES entries (stored or
// deflated) are read raw and decrypted and authenticated here in bulk; libzip
// decrypts any other. True only when all of it decrypted, authenticated,
// inflated and matched its CRC (AE-2 entries may store none: their
// authentication code is checked instead).
bool readEntry(zip_t* archive, zip_uint64_t index, const char* password, const EntryDataSink& sink);

// Reads the entry to its end without keeping its data, as readEntry does:
// decrypted and authenticated, inflated, and checked against its size, its stored CRC and, when
// given, `expectedCrc` (the CRC of the data that was compressed).
bool checkEntry(zip_t* archive, zip_uint64_t index, const char* password, const CheckProgress& progress,
                std::optional<std::uint32_t> expectedCrc = std::nullopt);

}  // namespace qm::archive::detail
