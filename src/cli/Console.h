#pragma once
// The console program: every form of the command line (see --help).
#include <functional>

#include "platform/OpenPlatform.h"

namespace qm::cli {

// What a start with nothing but the installation to work on does, in a
// build with windows: opens them; answers the exit status.
using WindowsOpener = std::function<int(const platform::PlatformOptions& installation)>;

// The process's arguments as main() has them; answers the exit status.
// Without a form (only --prefix, --user, --code-page) the windows open when
// `openWindows` is given.
int runConsole(int argc, char** argv, const WindowsOpener& openWindows = {});

}  // namespace qm::cli
