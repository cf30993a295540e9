// The interactive backup: "Backup Now" on the backup tab or in the menu.
#include "app/ViewText.h"
#include "base/WinPath.h"
#include "frontend/ProgressEvents.h"
#include "frontend/Summaries.h"
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

    // An archive already at the target stays untouched until the new one
    // is complete and replaces it.
    view_.setHourglass(true);
    view_.showBusy(true);
    view_.yield();

    frontend::ProgressEvents events(s_, view_, frontend::ProgressEvents::Steps::Backup);
    const jobs::BackupReport report = jobs::RunBackupJob(s_, request, events);
    view_.yield();

    view_.setProgress(view_.progressMaximum());
    view_.setHourglass(false);
    view_.setFileLine("");
    view_.setPercentLine("");
    view_.showBusy(false);
    view_.setProgress(view_.progressMinimum());
    frontend::showNotices(view_, ui, report.notices);

    std::string message = frontend::BackupReportText(report);
    if (!report.inUseWarning.empty()) message += "\r\n\r\n" + ui.shown(report.inUseWarning);
    if (!report.written) {
        // Nothing was backed up: say so, and there is nothing to put on a disc.
        view_.showMessage(report.archiveError.empty() ? message : message + "\r\n\r\n" + ui.shown(report.archiveError),
                          Icon::Critical, Buttons::Ok);
        return;
    }

    // Stored, but the user should know before relying on them.
    std::string warnings;
    for (const auto& w : report.warnings) warnings += "\r\n" + ui.shown(w);
    if (!warnings.empty()) warnings = "\r\n" + warnings;
    view_.showMessage(message + warnings, Icon::Information, Buttons::Ok);
    if (view_.showMessage(text::kDiscOffer, Icon::Information, Buttons::OkCancel) == app::Answer::Ok) {
        const std::string& written = s_.state.TargetArchivePath;
        view_.showDiscWindow(ui.shown(base::bareName(written, s_.leads())), ui.shown(written));
    }
}

}  // namespace qm::runs
