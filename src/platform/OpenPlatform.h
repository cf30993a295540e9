#pragma once
// The services of the installation the program works on, from the
// implementation this build was made with (chosen when it is built).
#include <string>
#include <vector>

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

// Where an installation lies, as the user names it: the Wine prefix's host
// folder and Wine's user, the defaults taken ($WINEPREFIX, else ~/.wine;
// $USER). On Windows the prefix is empty and the user is the one running
// the program.
struct InstallationPlace {
    std::string prefix;
    std::string user;
};
InstallationPlace locateInstallation(const PlatformOptions& options);

// The users an installation keeps a profile folder for (C:\users\<name>;
// not Public, nor the names Windows keeps for itself), sorted. False with
// the reason when the folder is no installation (no Wine prefix there).
bool installationUsers(const std::string& prefix, std::vector<std::string>& users, std::string& why);

// True when this build works on a Wine prefix (and the prefix and user
// options mean something); false on Windows itself.
bool opensWinePrefix();

}  // namespace qm::platform
