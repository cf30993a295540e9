// The unattended backup a scheduled job starts, and the main window
// activation that runs it.
#include "app/Startup.h"
#include "runs/Runs.h"
#include "runs/Texts.h"

namespace qm::runs {

jobs::BackupReport RunAutomaticBackup(app::Session& s, const std::string& profile, const std::string& selection,
                                      const std::string& password, const std::string& archivePath) {
    jobs::BackupReport report;
    if (profile.empty() || selection.empty() || archivePath.empty()) {
        report.failure = "the command line names no profile, no items or no backup file";
        return report;
    }
    app::RunGuard guard(s);
    if (!guard.acquired()) {
        report.failure = "another run is working";
        return report;
    }
    jobs::BackupSettings settings;
    settings.profile = profile;
    settings.items = items::selectionFromDigits(selection);
    settings.archivePath = s.files.fromUserPath(archivePath);
    settings.description = text::kAutomaticBackup;
    settings.password = password;
    settings.unattended = true;
    s.state.TargetArchivePath = settings.archivePath;
    if (settings.archivePath.empty()) {
        report.failure = "the backup file path " + archivePath + " cannot be used";
        return report;
    }
    jobs::JobEvents quiet;
    return jobs::RunBackupJob(s, settings, quiet);
}

bool MainWindowActivated(app::Session& s, app::MainView& view, jobs::BackupReport* report) {
    jobs::BackupReport local;
    jobs::BackupReport& out = report ? *report : local;
    out = jobs::BackupReport{};
    if (s.state.CommandLine.empty()) return false;
    bool ran = false;
    const bool acted = app::MainWindowActivated(s, view, [&](const app::AutomaticSettings& settings) {
        ran = true;
        out = RunAutomaticBackup(s, settings.profile, settings.selection, settings.password, settings.archivePath);
    });
    if (!acted) return false;  // this process has had its one run
    if (!ran) app::ParseCommandLine(s.state.CommandLine, &out.failure);
    return out.written;
}

}  // namespace qm::runs
