// The unattended backup a scheduled job starts: the argument text read as
// the job wrote it, the installation learnt as start-up learns it, one
// automatic run, and the outcome told by the exit status.
#include "app/Startup.h"
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/Installation.h"
#include "cli/Output.h"
#include "cli/PartReport.h"
#include "runs/ExitStatus.h"
#include "runs/Runs.h"

namespace qm::cli {

int runUnattended(const Arguments& args) {
    // Read before anything is opened: a text that does not parse, or whose
    // values shifted at an "=", must not touch the installation or the
    // earlier backup.
    std::string why;
    if (!app::ParseCommandLine(args.argumentText, &why)) {
        message("no backup written: " + why);
        return runs::kExitFailed;
    }
    Installation installation;
    if (!installation.open(args.wine, true)) return runs::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    const std::string commandLine = ui.typed(args.argumentText);
    app::StoreCommandLine(s, commandLine);
    const auto settings = app::ParseCommandLine(commandLine);
    if (!settings) {  // the code page made the text another one
        message("no backup written: the command line cannot be read in this installation's code page");
        return runs::kExitFailed;
    }
    const auto listed = app::ListedProfile(s, settings->profile);
    app::ItemAvailability available;
    if (listed) available = app::ComputeProfileLocations(s, s.state.ProfileNames.front());

    const jobs::BackupReport report = runs::RunAutomaticBackup(s, settings->profile, settings->selection,
                                                               settings->password, settings->archivePath);
    for (const auto& notice : report.notices) message(ui.shown(notice));
    for (const auto& warning : report.warnings) message("warning: " + ui.shown(warning));
    if (!report.inUseWarning.empty()) message(ui.shown(report.inUseWarning));
    if (!report.itemResult.empty()) message("BackupItem=" + report.itemResult);
    if (!report.written) {
        message("no backup written: " + ui.shown(report.failure));
        return runs::ExitStatusOf(report);
    }
    reportFailedParts(report.parts, RunKind::Backup, listed ? &available : nullptr);
    message("backup written to " + ui.shown(s.state.TargetArchivePath));
    return runs::ExitStatusOf(report);
}

}  // namespace qm::cli
