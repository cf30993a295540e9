#pragma once
// Checks of the WinZip AES entries the archive writes, shared by the Linux
// suite (OpenSSL) and the Windows one (BCrypt, under Wine): the same bytes as
// libzip's own encryption, and every byte of an entry authenticated.
#include <cstddef>
#include <string>

#include "platform/FileSystem.h"

namespace qm::test {

// The file `source` (a Windows path) written as the one entry of two
// archives: `libzips`, where libzip encrypts our deflate stream itself with
// a salt of its choosing, and `ours`, encrypted by the archive with the salt
// libzip chose. False with `why` when either cannot be written.
bool writeBothWays(platform::FileSystem& files, const std::string& source, const std::string& libzips,
                   const std::string& ours, const std::string& password, std::string& why);

// Flips every `stride`-th byte of the stored data (salt, verifier, encrypted
// data, code) of the entry `name` of `archive` in turn, a copy at a time, and
// tests the copy with the archive's own reading: how many flips it took for
// a sound archive. -1 when the entry cannot be found.
int unnoticedFlips(platform::FileSystem& files, const std::string& archive, const std::string& name,
                   const std::string& password, std::size_t stride);

}  // namespace qm::test
