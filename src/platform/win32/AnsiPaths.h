#pragma once
// Paths in the process's ANSI code page, stepped through by character: the
// second byte of a double-byte character can equal "\".
#include <string>

namespace qm::platform::win32 {

// The position of the last "\" or "/", npos when there is none.
std::size_t lastSeparator(const std::string& path);

}  // namespace qm::platform::win32
