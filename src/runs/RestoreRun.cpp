// The restore run and the action button that starts either run.
#include "jobs/RestoreJob.h"
#include "runs/Runs.h"
#include "runs/Summaries.h"
#include "runs/Texts.h"
#include "runs/ViewEvents.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

void RunRestore(app::Session& s, app::MainView& view) {
    auto& st = s.state;
    if (st.NoArchiveLoaded) {
        view.showMessage(text::kNoBackupLoaded, Icon::Critical, Buttons::Ok);
        return;
    }
    items::ItemSelection checked{};
    for (int i = 0; i < 8; ++i) checked[static_cast<std::size_t>(i)] = view.restoreItemChecked(i);
    if (!items::anySelected(checked)) {
        view.showMessage(text::kSelectOne, Icon::Exclamation, Buttons::Ok);
        return;
    }
    app::RunGuard guard(s);
    if (!guard.acquired()) return;
    const app::ViewText ui(s.codePage);

    view.setHourglass(true);
    view.showBusy(true);
    detail::advance(view, 10);
    view.yield();

    jobs::RestoreSettings settings;
    settings.items = checked;
    // The target box is read anew for every step.
    settings.targetProfile = [&] { return ui.typed(view.targetProfile()); };
    detail::ViewEvents events(s, view, detail::ViewEvents::Steps::Restore);
    const jobs::RestoreReport report = jobs::RunRestoreJob(s, settings, events);

    view.setHourglass(false);
    view.setProgress(view.progressMaximum());
    view.setStatus(report.failure.empty() ? text::kOperationComplete : "");
    view.showBusy(false);
    view.setProgress(0);
    detail::showNotices(view, ui, report.notices);
    if (!report.failure.empty()) {
        view.showMessage(ui.shown(report.failure), Icon::Critical, Buttons::Ok);
        return;
    }
    view.showMessage(RestoreSummaryText(report), Icon::Information, Buttons::Ok);
}

void ApplyPressed(app::Session& s, app::MainView& view) {
    if (view.currentTab() == app::Tab::Backup) {
        RunBackup(s, view);
        return;
    }
    if (view.showMessage(text::kRestoreConfirm, Icon::Information, Buttons::OkCancel) == app::Answer::Ok)
        RunRestore(s, view);
}

}  // namespace qm::runs
