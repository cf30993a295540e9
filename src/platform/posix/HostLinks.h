#pragma once
// Symbolic links on the way to a host path, judged before the path is used.
// A link inside `within` (a Wine prefix) that another user made (neither the
// running user nor root) is never followed to write when it leads out of
// `within` and out of the running user's own folders, and is followed to
// read only what that user could read himself, wherever it leads: a prefix
// that is not wholly the running user's must not make the program write or
// read on another user's behalf.
#include <string>

namespace qm::platform::posix {

enum class LinkUse { Read, Write };

// False, with the reason, when a link met on the way to `hostPath` may not
// be followed for `use`. `followLast`: the last name is followed too when it
// is a link (not when the link itself is removed or renamed). `within` is
// the canonical path of the folder whose links are judged.
bool linksAllow(const std::string& hostPath, const std::string& within, LinkUse use, bool followLast, std::string& why);
// The same for one link (a drive letter's), judged wherever it lies.
bool linkAllows(const std::string& linkPath, const std::string& within, LinkUse use, std::string& why);

}  // namespace qm::platform::posix
