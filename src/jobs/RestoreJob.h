#pragma once
// A restore without a window: the opened backup and a request (the items
// and the target profile) in, the result of each step out.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/Session.h"
#include "items/Parts.h"
#include "jobs/BackupJob.h"
#include "jobs/JobEvents.h"
#include "jobs/OpenBackup.h"
#include "jobs/RestoreRequest.h"

namespace qm::jobs {

struct RestoreReport {
    std::array<PartResult, items::kPartCount> parts{};
    // Why nothing was restored; empty when the steps ran.
    std::string failure;
    // The user stopped the run: the steps after that moment did not run
    // (`failure` says so).
    bool cancelled = false;
    // What the user should know of the parts restored (account passwords
    // to type again).
    std::vector<std::string> notes;
    std::vector<std::string> notices;
};

// The backup must be loaded (see BuildRestoreRequest).
RestoreReport RunRestoreJob(app::Session& session, const OpenedBackup& backup, const RestoreRequest& request,
                            JobEvents& events);

}  // namespace qm::jobs
