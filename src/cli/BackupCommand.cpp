// --backup: the backup run of the window, with its checks and report, and
// the care of a scheduled one: a profile that is not the installation's,
// or nothing of the selection saved, writes nothing and keeps the earlier
// backup. No disc is offered.
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/OpenInstallation.h"
#include "cli/Output.h"
#include "cli/PartReport.h"
#include "cli/ProgressLine.h"
#include "frontend/ExitStatus.h"
#include "frontend/ProgressEvents.h"
#include "frontend/RunRecords.h"
#include "frontend/Summaries.h"
#include "frontend/Texts.h"
#include "jobs/BackupJob.h"
#include "platform/Interrupt.h"
#include "platform/Terminal.h"

namespace qm::cli {

int runBackup(const Arguments& args) {
    frontend::Installation installation;
    if (!openInstallation(args, true, installation)) return frontend::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    jobs::BackupChoices choices;
    choices.kind = jobs::RunKind::Console;
    choices.target = ui.typed(args.file);
    choices.items = items::selectionFromDigits(args.items.value_or(""));
    choices.profile = ui.typed(args.profile);
    choices.description = ui.typed(args.description);
    choices.password = ui.typed(args.password.value_or(""));
    choices.protect = !choices.password.empty();
    choices.keep = args.keep;
    jobs::BackupRequest request;
    jobs::Refusal refusal;
    if (!jobs::BuildBackupRequest(s, choices, request, refusal)) {
        if (!refusal.runFailed) {
            message(ui.shown(refusal.text));
            return frontend::kExitFailed;
        }
        result(frontend::BackupReportText(jobs::BackupReport{}));
        message(frontend::text::kNoBackupWritten + ui.shown(refusal.text));
        return frontend::kExitFailed;
    }

    jobs::BackupReport report;
    {
        // Ctrl+C stops the run at its next step, after its clean-up.
        const platform::InterruptWatch interrupts;
        ProgressLine progress(platform::errorIsTerminal());
        progress.setStatus(frontend::text::kPleaseWaiting);
        frontend::ProgressEvents events(s, progress, frontend::ProgressEvents::Steps::Backup);
        report = jobs::RunBackupJob(s, request, events);
    }
    recordRun(s, frontend::BackupRecord(s, jobs::kBackupRecord, args.file, report));
    for (const auto& notice : report.notices) message(ui.shown(notice));
    for (const auto& warning : report.warnings) message("warning: " + ui.shown(warning));
    for (const auto& note : report.versionNotes) message(ui.shown(note));
    if (!report.versionFailure.empty()) message("warning: " + ui.shown(report.versionFailure));
    if (!report.inUseWarning.empty()) message(ui.shown(report.inUseWarning));
    // A stopped run reports no parts: none of them failed.
    if (!report.cancelled) result(ui.shown(frontend::BackupReportText(report)));
    if (!report.written) {
        message(frontend::text::kNoBackupWritten + ui.shown(report.failure));
        return frontend::ExitStatusOf(report);
    }
    reportFailedParts(report.parts, RunKind::Backup, report.available ? &*report.available : nullptr);
    return frontend::ExitStatusOf(report);
}

}  // namespace qm::cli
