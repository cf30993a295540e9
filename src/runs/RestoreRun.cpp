// The restore run and the action button that starts either run.
#include "app/ViewText.h"
#include "frontend/ProgressEvents.h"
#include "frontend/Summaries.h"
#include "frontend/Texts.h"
#include "jobs/RestoreJob.h"
#include "jobs/RestoreRequest.h"
#include "runs/MainPresenter.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

void MainPresenter::RunRestore() {
    const app::ViewText ui(s_.codePage);
    jobs::RestoreChoices choices;
    choices.kind = jobs::RunKind::Window;
    items::ItemSelection checked{};
    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i)
        checked[static_cast<std::size_t>(i)] = view_.restoreItemChecked(i);
    choices.items = checked;
    // The target box is read anew for every step.
    choices.targetProfile = [this, ui] { return ui.typed(view_.targetProfile()); };
    jobs::RestoreRequest request;
    jobs::Refusal refusal;
    if (!jobs::BuildRestoreRequest(s_, loadedBackup(), choices, request, refusal)) {
        view_.showMessage(refusal.text, refusal.icon, Buttons::Ok);
        return;
    }
    app::RunGuard guard(s_);
    if (!guard.acquired()) return;

    view_.setHourglass(true);
    view_.showBusy(true);
    frontend::advance(view_, 10);
    view_.yield();

    frontend::ProgressEvents events(s_, view_, frontend::ProgressEvents::Steps::Restore);
    const jobs::RestoreReport report = jobs::RunRestoreJob(s_, *loaded_, request, events);

    view_.setHourglass(false);
    view_.setProgress(view_.progressMaximum());
    view_.setStatus(report.failure.empty() ? frontend::text::kOperationComplete : "");
    view_.showBusy(false);
    view_.setProgress(0);
    frontend::showNotices(view_, ui, report.notices);
    if (!report.failure.empty()) {
        view_.showMessage(ui.shown(report.failure), Icon::Critical, Buttons::Ok);
        return;
    }
    view_.showMessage(frontend::RestoreSummaryText(report), Icon::Information, Buttons::Ok);
}

void MainPresenter::ApplyPressed() {
    if (view_.currentTab() == app::Tab::Backup) {
        RunBackup();
        return;
    }
    if (view_.showMessage(frontend::text::kRestoreConfirm, Icon::Information, Buttons::OkCancel) == app::Answer::Ok)
        RunRestore();
}

}  // namespace qm::runs
