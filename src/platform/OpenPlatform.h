#pragma once
// The services of the installation the program works on, from the
// implementation this build was made with (chosen when it is built).
#include <string>

#include "platform/Platform.h"

namespace qm::platform {

struct PlatformOptions {
    // Host folder of a Wine prefix; empty: $WINEPREFIX, else ~/.wine.
    // (Windows: unused.)
    std::string prefix;
    // Wine's user name (the profile folder C:\users\<user>); empty: $USER.
    // (Windows: unused.)
    std::string userName;
    // Host folder under which runs make their work folders; empty: the
    // user's state folder.
    std::string workRoot;
    // Host folder of the program; empty: the folder of the executable.
    std::string programFolder;
    // ANSI code page ("1251", "932"); empty: the prefix's own (Wine's ACP),
    // else Windows-1252. (Windows: the system's; another one is refused.)
    std::string codePage;
};

// Fills `out`. False with a message naming what cannot be used.
bool openPlatform(const PlatformOptions& options, Platform& out, std::string& error);

// Host path of the running program.
std::string programPath();

// True when this build works on a Wine prefix (and the prefix and user
// options mean something); false on Windows itself.
bool opensWinePrefix();

}  // namespace qm::platform
