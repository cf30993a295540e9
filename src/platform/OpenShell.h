#pragma once
// The desktop's shell of this build (the Windows build only: the Linux
// windows hand pages to Qt).
#include <memory>

#include "platform/Shell.h"

namespace qm::platform {

std::unique_ptr<Shell> openShell();

}  // namespace qm::platform
