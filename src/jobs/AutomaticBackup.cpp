#include "jobs/AutomaticBackup.h"

#include "jobs/BackupRequest.h"

namespace qm::jobs {

BackupReport RunAutomaticBackup(app::Session& s, const AutomaticSettings& settings) {
    BackupReport report;
    app::RunGuard guard(s);
    if (!guard.acquired()) {
        report.failure = "another run is working";
        return report;
    }
    BackupRequest request;
    Refusal refusal;
    if (!BuildBackupRequest(s, ScheduledChoices(settings), request, refusal)) {
        report.failure = refusal.text;
        return report;
    }
    JobEvents quiet;
    return RunBackupJob(s, request, quiet);
}

}  // namespace qm::jobs
