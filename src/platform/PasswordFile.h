#pragma once
// A password given in a file (--password-file) rather than on the command
// line, where every local user can read it in the process list.
#include <string>

namespace qm::platform {

// The file's first line, its line end dropped. False, with the reason, when
// it cannot be read, is a folder, or (where files have modes) is a file the
// group or others may read: a password others can read is no longer the
// user's alone, and a file made with the usual umask (0644) is the common
// slip. A pipe (a shell's <(...)) is read as it comes.
bool readPasswordFile(const std::string& path, std::string& password, std::string& why);

}  // namespace qm::platform
