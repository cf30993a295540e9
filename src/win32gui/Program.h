#pragma once
// The program with its windows: the Windows it runs in opened, the main
// window, the event loop, and the end.
#include "platform/OpenPlatform.h"

namespace qm::win32gui {

// Answers the exit status.
int runWindows(const platform::PlatformOptions& installation);

}  // namespace qm::win32gui
