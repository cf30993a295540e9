// The interactive backup: "Backup Now" on the backup tab or in the menu.
#include "app/ViewText.h"
#include "base/WinPath.h"
#include "frontend/ProgressEvents.h"
#include "frontend/RunRecords.h"
#include "frontend/Summaries.h"
#include "frontend/Texts.h"
#include "jobs/BackupJob.h"
#include "runs/MainPresenter.h"
#include "runs/Texts.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

void MainPresenter::RunBackup() {
    const app::ViewText ui(s_.codePage);
    jobs::BackupChoices choices;
    choices.kind = jobs::RunKind::Window;
    choices.profile = ui.typed(view_.sourceProfile());
    choices.target = s_.state.TargetArchivePath;
    choices.description = ui.typed(view_.description());
    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i)
        choices.items[static_cast<std::size_t>(i)] = view_.backupItemChecked(i);
    choices.protect = view_.protectChecked();
    choices.password = ui.typed(view_.password());
    choices.password2 = ui.typed(view_.password2());
    jobs::BackupRequest request;
    jobs::Refusal refusal;
    if (!jobs::BuildBackupRequest(s_, choices, request, refusal)) {
        view_.showMessage(refusal.text, refusal.icon, Buttons::Ok);
        return;
    }
    app::RunGuard guard(s_);
    if (!guard.acquired()) return;
    beginRun(Working::Backup);

    // An archive already at the target stays untouched until the new one
    // is complete and replaces it.
    view_.setHourglass(true);
    view_.showBusy(true);
    view_.yield();

    frontend::ProgressEvents events(s_, view_, frontend::ProgressEvents::Steps::Backup, [this] { return stopAsked(); });
    const jobs::BackupReport report = jobs::RunBackupJob(s_, request, events);
    view_.yield();

    view_.setProgress(view_.progressMaximum());
    view_.setHourglass(false);
    view_.setFileLine("");
    view_.setPercentLine("");
    view_.showBusy(false);
    view_.setProgress(view_.progressMinimum());
    std::string unrecorded;
    recordRun(frontend::BackupRecord(s_, jobs::kBackupRecord, ui.shown(s_.state.TargetArchivePath), report),
              unrecorded);
    if (endRun()) return;
    frontend::showNotices(view_, ui, report.notices);

    if (report.cancelled) {
        view_.showMessage(text::kBackupCancelled + unrecorded, Icon::Information, Buttons::Ok);
        return;
    }
    std::string message = frontend::BackupReportText(report);
    if (!report.inUseWarning.empty()) message += "\r\n\r\n" + ui.shown(report.inUseWarning);
    // Every part that failed is named with its reason, the ones the report
    // has no line for (the configuration, the rules) too.
    std::string failed;
    for (const auto& line :
         frontend::FailedPartTexts(report.parts, true, report.available ? &*report.available : nullptr))
        failed += "\r\n" + ui.shown(line);
    if (!report.written) {
        // Nothing was backed up: say why, and there is nothing to put on a
        // disc. An archive that was there before is as it was.
        // A report without lines ends with its line break already.
        message += (message.size() >= 2 && message.compare(message.size() - 2, 2, "\r\n") == 0 ? "\r\n" : "\r\n\r\n") +
                   ui.shown(frontend::text::kNoBackupWritten + report.failure);
        if (!report.archiveError.empty() && report.failure.find(report.archiveError) == std::string::npos)
            message += "\r\n" + ui.shown(report.archiveError);
        view_.showMessage(message + (failed.empty() ? "" : "\r\n" + failed) + unrecorded, Icon::Critical, Buttons::Ok);
        return;
    }

    // Stored, but the user should know before relying on them.
    std::string warnings;
    for (const auto& w : report.warnings) warnings += "\r\n" + ui.shown(w);
    for (const auto& note : report.versionNotes) warnings += "\r\n" + ui.shown(note);
    if (!report.versionFailure.empty()) warnings += "\r\n" + ui.shown(report.versionFailure);
    if (!warnings.empty()) warnings = "\r\n" + warnings;
    if (!failed.empty()) failed = "\r\n" + failed;
    view_.showMessage(message + warnings + failed + unrecorded, Icon::Information, Buttons::Ok);
    if (!view_.writesDiscs()) return;
    if (view_.showMessage(text::kDiscOffer, Icon::Information, Buttons::OkCancel) == app::Answer::Ok) {
        const std::string& written = report.writtenAs.empty() ? s_.state.TargetArchivePath : report.writtenAs;
        view_.showDiscWindow(ui.shown(base::bareName(written, s_.leads())), ui.shown(written));
    }
}

}  // namespace qm::runs
