#pragma once
// A restore without a window: an opened backup, the items and the target
// profile in, the result of each step out.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/Session.h"
#include "items/Parts.h"
#include "jobs/BackupJob.h"
#include "jobs/JobEvents.h"

namespace qm::jobs {

struct RestoreSettings {
    items::ItemSelection items{};
    // The profile to restore into, asked anew before every step that takes
    // one (a window's box may change meanwhile).
    std::function<std::string()> targetProfile;
    // The profile was typed, not picked from the installation's list: it
    // must be one of them (letter case ignored), or nothing is restored.
    // A typo would otherwise make a new profile out of the backup's.
    bool profileTyped = false;
};

struct RestoreReport {
    std::array<PartResult, items::kPartCount> parts{};
    // Why nothing was restored; empty when the steps ran.
    std::string failure;
    std::vector<std::string> notices;
};

// The backup's "BackupItem" and recorded values are those the opening left
// in the session's state (ItemFlags, ItemValues); its archive is the one
// open in the session's ZIP component.
RestoreReport RunRestoreJob(app::Session& session, const RestoreSettings& settings, JobEvents& events);

}  // namespace qm::jobs
