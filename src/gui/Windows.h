#pragma once
// The program with its windows: start-up (splash, main window), the event
// loop, and the end.
#include "platform/OpenPlatform.h"

namespace qm::gui {

// The process's arguments go to Qt; the installation is the one the
// command line named (--prefix, --user, --code-page).
int runWindows(int argc, char** argv, const platform::PlatformOptions& installation);

}  // namespace qm::gui
