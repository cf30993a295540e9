#pragma once
// The services of one Wine prefix: its registry files, its drives and the
// system facts Wine would report inside it.
#include <string>

#include "platform/Platform.h"

namespace qm::platform::wine {

struct WineOptions {
    // Host folder of the prefix; empty: $WINEPREFIX, else ~/.wine.
    std::string prefix;
    // Wine's user name (the profile folder C:\users\<user>); empty: $USER.
    std::string userName;
    // Host folder under which runs make their work folders; empty:
    // $XDG_STATE_HOME/quillmark, else ~/.local/state/quillmark.
    std::string workRoot;
    // Host folder of the program; empty: the folder of the executable.
    std::string programFolder;
    // ANSI code page; empty: Windows-1252.
    std::string codePage;
};

// Fills `out` with the prefix's services. False with a message naming the
// prefix (or the bad file and line) when they cannot be used.
bool openWinePlatform(const WineOptions& options, Platform& out, std::string& error);

}  // namespace qm::platform::wine
