// --backup: the backup run of the window, with its checks and report, and
// the care of a scheduled one: a profile that is not the installation's,
// or nothing of the selection saved, writes nothing and keeps the earlier
// backup. No disc is offered.
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/Installation.h"
#include "cli/Output.h"
#include "cli/PartReport.h"
#include "cli/ProgressLine.h"
#include "jobs/BackupJob.h"
#include "platform/Terminal.h"
#include "runs/ExitStatus.h"
#include "runs/Summaries.h"
#include "runs/Texts.h"
#include "runs/ViewEvents.h"

namespace qm::cli {

int runBackup(const Arguments& args) {
    Installation installation;
    if (!installation.open(args.wine, true)) return runs::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    jobs::BackupSettings settings;
    settings.archivePath = s.files.fromUserPath(ui.typed(args.file));
    if (settings.archivePath.empty()) {
        message(runs::text::kInvalidTarget);
        return runs::kExitFailed;
    }
    settings.items = items::selectionFromDigits(args.items.value_or(""));
    if (!items::anySelected(settings.items)) {
        message(runs::text::kSelectOne);
        return runs::kExitFailed;
    }
    settings.profile = ui.typed(args.profile);
    settings.description = ui.typed(args.description);
    settings.password = ui.typed(args.password.value_or(""));
    settings.unattended = true;
    s.state.TargetArchivePath = settings.archivePath;
    s.state.BackupPassword = settings.password;

    const auto listed = app::ListedProfile(s, settings.profile);
    app::ItemAvailability available;
    if (listed) available = app::ComputeProfileLocations(s, *listed);

    jobs::BackupReport report;
    {
        ProgressLine progress(platform::errorIsTerminal());
        progress.setStatus(runs::text::kPleaseWaiting);
        runs::detail::ViewEvents events(s, progress, runs::detail::ViewEvents::Steps::Backup);
        report = jobs::RunBackupJob(s, settings, events);
    }
    for (const auto& notice : report.notices) message(ui.shown(notice));
    for (const auto& warning : report.warnings) message("warning: " + ui.shown(warning));
    if (!report.inUseWarning.empty()) message(ui.shown(report.inUseWarning));
    result(ui.shown(runs::BackupReportText(report)));
    if (!report.written) {
        message("no backup written: " + ui.shown(report.failure));
        return runs::ExitStatusOf(report);
    }
    reportFailedParts(report.parts, RunKind::Backup, listed ? &available : nullptr);
    return runs::ExitStatusOf(report);
}

}  // namespace qm::cli
