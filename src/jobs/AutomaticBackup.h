#pragma once
// The unattended backup a scheduled job starts, for the console and for
// the main window's activation alike: the request built from the argument
// text's settings, one run that shows nothing.
#include "app/Session.h"
#include "jobs/AutomaticArguments.h"
#include "jobs/BackupJob.h"

namespace qm::jobs {

// A request that is refused, or another run already working, writes
// nothing: the report's failure says why.
BackupReport RunAutomaticBackup(app::Session& session, const AutomaticSettings& settings);

}  // namespace qm::jobs
