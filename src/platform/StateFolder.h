#pragma once
// The user's own state folder (where the runs make their work folders and
// the history of runs is kept), reached without an installation: a run
// that could not open its installation still leaves its record there.
#include <memory>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/OpenPlatform.h"
#include "platform/System.h"

namespace qm::platform {

struct StateFolder {
    // First, so that it goes last: the file layer converts with it.
    std::unique_ptr<CodePage> codePage;
    std::unique_ptr<FileSystem> files;
    // The folder, as `files` names it (a Windows path).
    std::string folder;
};

// The folder of `options.workRoot`, else the user's default one (the one an
// installation opened with the same options makes its work folders in).
// False with the reason when there is none.
bool openStateFolder(const PlatformOptions& options, StateFolder& out, std::string& why);

// The lock file `name` in that folder, taken without waiting: held until
// the lock is destroyed, by this process alone (a program it starts does
// not inherit it). Null with the reason when another process holds it or
// it cannot be made.
std::unique_ptr<RunLock> tryStateLock(const PlatformOptions& options, const std::string& name, std::string& why);

// Now on the local clock as "2026-12-08 03:04:05": sorts as time goes.
std::string localTimeStamp();

}  // namespace qm::platform
