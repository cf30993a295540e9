#pragma once
// The program with its windows: start-up (splash, main window), the event
// loop, and the end.
#include <string>

#include "frontend/Installation.h"
#include "platform/OpenPlatform.h"

namespace qm::gui {

// The process's arguments go to Qt; the installation is the one the
// command line named (--prefix, --user, --code-page).
int runWindows(int argc, char** argv, const platform::PlatformOptions& installation);

// The installation the windows open at start (its user must be one of its
// users); false with the message they show when it cannot be opened.
bool openFirstInstallation(const platform::PlatformOptions& options, frontend::Installation& installation,
                           std::string& message);

}  // namespace qm::gui
