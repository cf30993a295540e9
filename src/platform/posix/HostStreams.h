#pragma once
// The file streams of the platform interface over host files.
#include <memory>
#include <string>

#include "platform/FileStreams.h"

namespace qm::platform::posix {

std::unique_ptr<ReadStream> openHostRead(const std::string& hostPath, std::string& error);
std::unique_ptr<ReplaceStream> createHostReplacement(const std::string& targetHostPath, std::string& error,
                                                     NewFileAccess access = NewFileAccess::OwnerOnly);

}  // namespace qm::platform::posix
