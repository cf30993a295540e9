// Opening a backup file on the restore tab ("Browse...").
#include "jobs/OpenBackup.h"
#include "runs/Runs.h"
#include "runs/Summaries.h"
#include "runs/Texts.h"
#include "runs/ViewEvents.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

void OpenBackupFile(app::Session& s, app::MainView& view) {
    app::RunGuard guard(s);
    if (!guard.acquired()) return;
    const app::ViewText ui(s.codePage);
    auto& st = s.state;

    s.zip1.ResetArchive();
    for (int i = 0; i < 8; ++i) {
        view.setRestoreItemChecked(i, false);
        view.setRestoreItemEnabled(i, false);
    }
    view.setSourceFileText("");
    view.setBackupDescription("");
    view.setBackupFacts("");

    const std::string chosen = view.chooseFileToOpen(text::kOpenTitle, text::kOpenFilter);
    if (chosen.empty()) return;
    const std::string file = s.files.fromUserPath(ui.typed(chosen));

    // A cancelled prompt leaves the password as it was; that one is tried.
    if (jobs::IsBackupProtected(s, file))
        if (auto typed = view.askPassword()) st.RestorePassword = ui.typed(*typed);

    detail::ViewEvents events(s, view, detail::ViewEvents::Steps::Restore);
    const jobs::OpenedBackup opened = jobs::OpenBackupJob(s, file, st.RestorePassword, events);
    if (opened.outcome == jobs::OpenOutcome::WrongPassword) {
        view.showMessage(text::kWrongPassword, Icon::Information, Buttons::Ok);
        return;
    }

    view.setSourceFileText(chosen);
    view.setBackupFacts(ui.shown(BackupFactsText(opened)));
    view.setBackupDescription(ui.shown(opened.description));

    jobs::KeepOpenedBackup(s, opened);
    if (opened.outcome == jobs::OpenOutcome::Invalid) {
        view.showMessage(text::kInvalidBackup, Icon::Critical, Buttons::Ok);
        return;
    }
    // Positions recorded as "1" enable their box.
    const items::ItemSelection held = items::restorableItems(opened.flags);
    for (int i = 0; i < 8; ++i)
        if (held[static_cast<std::size_t>(i)]) view.setRestoreItemEnabled(i, true);
}

}  // namespace qm::runs
