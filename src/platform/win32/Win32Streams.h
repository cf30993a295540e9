#pragma once
// The file streams of the platform interface over Windows files (ANSI
// names), and the facts of a file by name.
#include <memory>
#include <string>

#include "base/LeadBytes.h"
#include "platform/FileStreams.h"

namespace qm::platform::win32 {

FileInfo statFile(const std::string& path);
std::unique_ptr<ReadStream> openReadStream(const std::string& path, std::string& error);
// "<target>.qmpart-<process>-<n>" beside the target (its name cut short when
// the whole would pass 255 bytes), moved over it on commit. Refused when
// something other than a file on a disk is at the target's name.
std::unique_ptr<ReplaceStream> createReplaceStream(const std::string& target, std::string& error,
                                                   const base::LeadBytes& leads);
// Deletes the replacement files of `target` whose process has ended.
void removeStaleReplaceFiles(const std::string& target, const base::LeadBytes& leads);

// The system's text for an error code ("Access is denied. (5)").
std::string errorText(unsigned long code);

}  // namespace qm::platform::win32
