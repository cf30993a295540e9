#pragma once
// Steps made of several file operations, the same for every file layer.
#include <string>

#include "platform/FileSystem.h"

namespace qm::platform {

// Creates the missing levels of a folder below its root (a drive or
// \\server\share, taken as given); true when it exists afterwards.
bool makeFolders(FileSystem& files, const std::string& folder);
// Deletes a file when there is one, read-only or not; true when none is
// left. A folder at the path is not removed (false).
bool removeFile(FileSystem& files, const std::string& path);

}  // namespace qm::platform
