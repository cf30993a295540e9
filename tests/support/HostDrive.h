#pragma once
// The host's own files as a Windows drive (Z:\tmp\x is /tmp/x, as under
// Wine), for installations held in memory whose archives the tests check
// with outside tools.
#include <memory>

#include "platform/FileSystem.h"

namespace qm::test {

std::shared_ptr<platform::FileSystem> hostDrive();

}  // namespace qm::test
