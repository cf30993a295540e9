#include "jobs/AutomaticBackup.h"

#include "jobs/BackupRequest.h"

namespace qm::jobs {

BackupReport RunAutomaticBackup(app::Session& s, const AutomaticSettings& settings) {
    JobEvents quiet;
    return RunAutomaticBackup(s, settings, quiet);
}

BackupReport RunAutomaticBackup(app::Session& s, const AutomaticSettings& settings, JobEvents& events) {
    return RunAutomaticBackup(s, settings, KeepPolicy{}, events);
}

BackupReport RunAutomaticBackup(app::Session& s, const AutomaticSettings& settings, const KeepPolicy& keep,
                                JobEvents& events) {
    BackupReport report;
    app::RunGuard guard(s);
    if (!guard.acquired()) {
        report.failure = "another run is working";
        return report;
    }
    BackupRequest request;
    Refusal refusal;
    if (!BuildBackupRequest(s, ScheduledChoices(settings, keep), request, refusal)) {
        report.failure = refusal.text;
        return report;
    }
    return RunBackupJob(s, request, events);
}

}  // namespace qm::jobs
