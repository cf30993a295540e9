#pragma once
// One run at a time on an installation: every backup, restore and listing
// takes the installation's run lock first, waiting a while for another run
// to end (a scheduled run longer, so that it does not skip a night because
// a window was backing up).
#include <memory>
#include <string>

#include "app/Session.h"
#include "jobs/BackupRequest.h"
#include "jobs/JobEvents.h"
#include "platform/System.h"

namespace qm::jobs {

// How long a run waits for the lock, in seconds.
unsigned LockWaitSeconds(RunKind kind);

// The lock, or null with the reason when another run kept it all the while.
// The events keep a window answering while it waits.
std::unique_ptr<platform::RunLock> LockInstallation(app::Session& session, RunKind kind, JobEvents& events,
                                                    std::string& why);

}  // namespace qm::jobs
