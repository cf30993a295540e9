#pragma once
// The unattended backup a scheduled job starts, for the console and for
// the main window's activation alike: the request built from the argument
// text's settings, one run that shows nothing.
#include "app/Session.h"
#include "jobs/AutomaticArguments.h"
#include "jobs/BackupJob.h"
#include "jobs/KeepPolicy.h"

namespace qm::jobs {

// A request that is refused, or another run already working, writes
// nothing: the report's failure says why.
BackupReport RunAutomaticBackup(app::Session& session, const AutomaticSettings& settings);
// The same, its progress and a request to stop given to `events`.
BackupReport RunAutomaticBackup(app::Session& session, const AutomaticSettings& settings, JobEvents& events);
// The same, keeping earlier versions as the job's options ask.
BackupReport RunAutomaticBackup(app::Session& session, const AutomaticSettings& settings, const KeepPolicy& keep,
                                JobEvents& events);

}  // namespace qm::jobs
