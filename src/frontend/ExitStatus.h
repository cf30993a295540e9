#pragma once
// How a run that nobody watches (a scheduled job, a script) is seen to end:
// by its exit status alone.
#include "jobs/BackupJob.h"
#include "jobs/RestoreJob.h"

namespace qm::frontend {

inline constexpr int kExitDone = 0;         // every selected part done
inline constexpr int kExitFailed = 1;       // nothing written, nothing restored, or refused
inline constexpr int kExitUsage = 2;        // the command line is not one the program takes
inline constexpr int kExitPartsFailed = 3;  // written or restored, but a selected part failed

// 0 when the archive holds every selected part, 3 when it was written
// without some of them, 1 when no archive was written.
int ExitStatusOf(const jobs::BackupReport& report);
// 0 when every step that ran succeeded, 3 when some did, 1 when none ran
// or none succeeded.
int ExitStatusOf(const jobs::RestoreReport& report);

}  // namespace qm::frontend
