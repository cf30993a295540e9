#include "archive/ArchiveCheck.h"

#include <zlib.h>

#include <vector>

namespace qm::archive::detail {

namespace {
constexpr std::size_t kReadBuffer = 1u << 16;
}

bool readEntry(zip_t* za, zip_uint64_t index, const char* password, const EntryDataSink& sink,
               std::optional<std::uint32_t> expectedCrc) {
    zip_stat_t st;
    if (zip_stat_index(za, index, 0, &st) != 0) return false;
    zip_file_t* f = zip_fopen_index_encrypted(za, index, 0, password);
    if (!f) return false;
    std::vector<unsigned char> buffer(kReadBuffer);
    uLong crc = crc32(0L, Z_NULL, 0);
    std::uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(f, buffer.data(), buffer.size());
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        crc = crc32_z(crc, buffer.data(), static_cast<z_size_t>(n));
        total += static_cast<std::uint64_t>(n);
        if (sink && !sink(buffer.data(), static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    // Closing reports a failed authentication of an AES entry.
    if (zip_fclose(f) != 0) ok = false;
    if (!ok) return false;
    if ((st.valid & ZIP_STAT_SIZE) && total != st.size) return false;
    if (expectedCrc && crc != *expectedCrc) return false;
    // WinZip AES entries keep no checksum (their authentication code was
    // checked by libzip); every other entry must match its CRC.
    const bool aes = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
                     (st.encryption_method == ZIP_EM_AES_128 || st.encryption_method == ZIP_EM_AES_192 ||
                      st.encryption_method == ZIP_EM_AES_256);
    if (!aes && (st.valid & ZIP_STAT_CRC) && crc != st.crc) return false;
    return true;
}

}  // namespace qm::archive::detail
