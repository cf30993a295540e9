#pragma once
// The parts of a run that were asked for and failed, said on standard error
// one by one, with the reason when it is known.
#include <array>

#include "items/ItemTable.h"
#include "jobs/BackupJob.h"

namespace qm::cli {

enum class RunKind { Backup, Restore };

// `available` (what the installation holds of each item, as the request
// found it) explains a backup part that failed for want of data; none for a
// restore.
void reportFailedParts(const std::array<jobs::PartResult, items::kPartCount>& parts, RunKind kind,
                       const items::ItemAvailability* available = nullptr);

}  // namespace qm::cli
