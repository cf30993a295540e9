#pragma once
// What the history of runs keeps of a run that just ended, said the same
// way by every front end: its record (see jobs/RunHistory.h) and where it
// goes.
#include <string>

#include "app/Session.h"
#include "jobs/BackupJob.h"
#include "jobs/RestoreJob.h"
#include "jobs/RunHistory.h"
#include "platform/OpenPlatform.h"

namespace qm::frontend {

// The record of a backup (`kind`: jobs::kBackupRecord, or
// jobs::kScheduledRecord for the unattended run) or a restore, timed now.
// `file` is the backup file as the user (or the job) named it, UTF-8. The
// message is core text made UTF-8: why nothing was done, or the parts that
// failed, "; " between them.
jobs::RunRecord BackupRecord(const app::Session& session, const char* kind, const std::string& file,
                             const jobs::BackupReport& report);
jobs::RunRecord RestoreRecord(const app::Session& session, const std::string& file, const jobs::RestoreReport& report);

// Appends it to the user's history. A history that cannot be written does
// not change how the run ended: false with the reason, for a message.
bool RecordRun(app::Session& session, const jobs::RunRecord& record, std::string& why);
// The same for a run that could not open its installation: the history of
// the state folder the options name.
bool RecordRun(const platform::PlatformOptions& options, const jobs::RunRecord& record, std::string& why);
// What a desktop notification says of a scheduled run that failed (status 1
// or 3): a line over the backup file and what failed.
struct RunNotice {
    std::string summary;
    std::string body;
};
RunNotice FailedRunNotice(const jobs::RunRecord& record);
// Sends it when the record's run failed (status 1 or 3). A desktop without
// a session bus or tray is no failure: the record stays the trace. False
// with the reason when one is there but refused it.
bool NotifyFailedRun(const jobs::RunRecord& record, std::string& why);

// The record of a run that did nothing (status 1), timed now.
jobs::RunRecord FailedRunRecord(const char* kind, const std::string& file, const std::string& message);

}  // namespace qm::frontend
