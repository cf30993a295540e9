#pragma once
// Files and folders only the user running the program may open: an
// explicit access list naming that user alone, not inherited.
#include <string>

namespace qm::platform::win32 {

// "D:P(A;OICI;FA;;;<the user's SID>)"; empty when the SID cannot be had.
std::string ownerOnlyDescriptor();

// The folder (one level, made when missing) for the user alone.
bool makeOwnerOnlyFolder(const std::wstring& path);
// A new file holding `bytes` that only the user may open, in place of any
// file of that name; false with the reason.
bool writeOwnerOnlyFile(const std::wstring& path, const std::string& bytes, std::string& why);

}  // namespace qm::platform::win32
