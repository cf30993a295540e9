#pragma once
// The job scheduler of this build, for the jobs that back up one
// installation.
#include <memory>
#include <string>

#include "platform/Scheduler.h"

namespace qm::platform {

struct SchedulerOptions {
    // The installation the jobs back up, as openPlatform takes it: a Wine
    // prefix (empty: $WINEPREFIX, else ~/.wine) and Wine's user name
    // (empty: $USER). (Windows: unused.)
    std::string prefix;
    std::string userName;
    // The installation's code page as chosen by an option; empty: none.
    std::string codePage;
    // Whose job list to use; empty: the user running the program. (The
    // crontab of another user needs the right to edit it.)
    std::string jobsUser;
};

// Null, with the reason, when no scheduler can be reached.
std::unique_ptr<Scheduler> openScheduler(const SchedulerOptions& options, std::string& why);

}  // namespace qm::platform
