#pragma once
// The information file "quillmark.dat": lines of key "=" value, ANSI, CR LF.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace qm::archive {

inline const char* const kInfoFileName = "quillmark.dat";
inline const char* const kLineBreakCode = "PS$QMK";
// An information file is read whole into memory. It holds a few hundred
// bytes and the names of the files stored (17,000 signatures with long
// names make 4.3 MB): a backup writes none larger than this, and a restore
// takes none larger out of an archive.
inline constexpr std::uint64_t kMaxInfoFileBytes = 64u << 20;

// Appends key=value CR LF. False when the file cannot be written. The value
// of "BackupInformation" goes through EncodeLineBreaks (again, if the caller
// did already: it holds no line break then).
bool SaveINI(platform::FileSystem& files, const std::string& key, const std::string& value,
             const std::string& filePath);
// The value of the first line whose key matches ignoring case; reading
// stops at the first empty line. Empty when absent; `found` tells a missing
// file (false) apart.
std::string GetINI(const platform::FileSystem& files, const std::string& key, const std::string& filePath,
                   bool* readable = nullptr);

// Key and value of each line up to the first empty one (a line ends at
// CR LF, LF or CR); a line without "=" is passed over. The value is all
// after the first "=".
std::vector<std::pair<std::string, std::string>> ReadInfoLines(const std::string& bytes);

// Every line break (CR LF, LF, CR) as "PS$QMK", and back as CR LF.
std::string EncodeLineBreaks(const std::string& text);
std::string DecodeLineBreaks(const std::string& text);

// A new, empty, uniquely named file in `folder` ("QMC1A2F.TMP").
std::string sGetTempFile(platform::FileSystem& files, const std::string& folder, const std::string& prefix);

}  // namespace qm::archive
