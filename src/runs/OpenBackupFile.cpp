// Opening a backup file on the restore tab ("Browse...").
#include "app/ViewText.h"
#include "frontend/ProgressEvents.h"
#include "frontend/Summaries.h"
#include "frontend/Texts.h"
#include "jobs/OpenBackup.h"
#include "runs/MainPresenter.h"
#include "runs/Texts.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

void MainPresenter::OpenBackupFile() {
    app::RunGuard guard(s_);
    if (!guard.acquired()) return;
    const app::ViewText ui(s_.codePage);
    auto& st = s_.state;

    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i) {
        view_.setRestoreItemChecked(i, false);
        view_.setRestoreItemEnabled(i, false);
    }
    view_.setSourceFileText("");
    view_.setBackupDescription("");
    view_.setBackupFacts("");

    const std::string chosen = view_.chooseFileToOpen(text::kOpenTitle, text::kOpenFilter);
    if (chosen.empty()) return;
    const std::string file = s_.files.fromUserPath(ui.typed(chosen));

    // A cancelled prompt leaves the password as it was; that one is tried.
    if (jobs::IsBackupProtected(s_, file))
        if (auto typed = view_.askPassword()) st.RestorePassword = ui.typed(*typed);

    frontend::ProgressEvents events(s_, view_, frontend::ProgressEvents::Steps::Restore);
    jobs::OpenedBackup opened = jobs::OpenBackupJob(s_, file, st.RestorePassword, events);
    // The backup opened before stays loaded; its boxes are off now.
    if (opened.outcome == jobs::OpenOutcome::WrongPassword) {
        view_.showMessage(frontend::text::kWrongPassword, Icon::Information, Buttons::Ok);
        return;
    }

    view_.setSourceFileText(chosen);
    view_.setBackupFacts(ui.shown(frontend::BackupFactsText(opened)));
    view_.setBackupDescription(ui.shown(opened.description));
    if (opened.outcome == jobs::OpenOutcome::Invalid) {
        loaded_.reset();
        view_.showMessage(frontend::text::kInvalidBackup, Icon::Critical, Buttons::Ok);
        return;
    }
    // Positions recorded as "1" enable their box.
    const items::ItemSelection held = opened.heldItems();
    loaded_ = std::move(opened);
    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i)
        if (held[static_cast<std::size_t>(i)]) view_.setRestoreItemEnabled(i, true);
}

}  // namespace qm::runs
