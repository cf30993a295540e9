#pragma once
// The names of the new files made beside a target that replace it when
// complete: "<name>.qmpart-<suffix>". A name near the file systems' limit
// of 255 bytes is cut short for it (never inside a character), so that
// every file that can be named can also be replaced; the start of the name
// is what finds a killed run's leftovers again.
#include <cstddef>
#include <string>

#include "base/LeadBytes.h"

namespace qm::platform {

inline constexpr std::size_t kMaxNameBytes = 255;
inline constexpr const char* kPartMarker = ".qmpart-";

// The name (of UTF-8 characters) and the marker, the name cut so that
// `suffixBytes` more stay within kMaxNameBytes.
std::string partNameStartUtf8(const std::string& name, std::size_t suffixBytes);
// The same for a name of ANSI characters.
std::string partNameStart(const std::string& name, std::size_t suffixBytes, const base::LeadBytes& leads);

}  // namespace qm::platform
