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

// True only when all of the entry decrypted, inflated and matched the CRC
// stored for it and, when given, `expectedCrc` (the CRC of the data that
// was compressed; entries protected with AES store none of their own).
bool readEntry(zip_t* archive, zip_uint64_t index, const char* password, const EntryDataSink& sink,
               std::optional<std::uint32_t> expectedCrc = std::nullopt);

}  // namespace qm::archive::detail
