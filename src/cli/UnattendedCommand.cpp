// The unattended backup a scheduled job starts: the argument text read as
// the job wrote it, the installation learnt as start-up learns it, one
// automatic run, and the outcome told by the exit status.
#include "app/Startup.h"
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/OpenInstallation.h"
#include "cli/Output.h"
#include "cli/PartReport.h"
#include "frontend/ExitStatus.h"
#include "jobs/AutomaticBackup.h"
#include "jobs/BackupRequest.h"

namespace qm::cli {

int runUnattended(const Arguments& args) {
    // Read before anything is opened: a text that does not parse, or whose
    // values shifted at an "=", must not touch the installation or the
    // earlier backup.
    jobs::AutomaticSettings settings;
    std::string why;
    if (!jobs::ParseCommandLine(args.argumentText, settings, why)) {
        message("no backup written: " + why);
        return frontend::kExitFailed;
    }
    if (args.password && !settings.password.empty()) {
        message("no backup written: the argument text gives a password (ps=) and --password-file gives one too");
        return frontend::kExitFailed;
    }
    frontend::Installation installation;
    if (!openInstallation(args, true, installation)) return frontend::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    const std::string commandLine = ui.typed(args.argumentText);
    app::StoreCommandLine(s, commandLine);
    if (!jobs::ParseCommandLine(commandLine, settings, why)) {  // the code page made the text another one
        message("no backup written: the command line cannot be read in this installation's code page");
        return frontend::kExitFailed;
    }
    // A job of this program reads its password from the file it names.
    if (args.password) settings.password = ui.typed(*args.password);

    const jobs::BackupReport report = jobs::RunAutomaticBackup(s, settings);
    for (const auto& notice : report.notices) message(ui.shown(notice));
    for (const auto& warning : report.warnings) message("warning: " + ui.shown(warning));
    if (!report.inUseWarning.empty()) message(ui.shown(report.inUseWarning));
    if (!report.itemResult.empty()) message("BackupItem=" + report.itemResult);
    if (!report.written) {
        message("no backup written: " + ui.shown(report.failure));
        return frontend::ExitStatusOf(report);
    }
    reportFailedParts(report.parts, RunKind::Backup, report.available ? &*report.available : nullptr);
    message("backup written to " + ui.shown(report.archivePath));
    return frontend::ExitStatusOf(report);
}

}  // namespace qm::cli
