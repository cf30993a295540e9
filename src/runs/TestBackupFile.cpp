// File > "Test Backup File...": a backup file read to its end, as a restore
// would read it and as the console's --list does.
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

void MainPresenter::TestBackupFile() {
    app::RunGuard guard(s_);
    if (!guard.acquired()) return;
    const app::ViewText ui(s_.codePage);
    const std::string chosen = view_.chooseFileToOpen(text::kTestTitle, text::kOpenFilter);
    if (chosen.empty()) return;
    const std::string file = s_.files.fromUserPath(ui.typed(chosen));
    // The password the restore tab was last given is tried when the prompt
    // is cancelled, as there.
    std::string password = s_.state.RestorePassword;
    if (jobs::IsBackupProtected(s_, file))
        if (auto typed = view_.askPassword()) password = ui.typed(*typed);

    beginRun(Working::Test);
    view_.setHourglass(true);
    view_.showBusy(true);
    view_.setStatus(frontend::text::kCheckingBackupFile + std::string("0%"));
    view_.yield();
    frontend::ProgressEvents events(s_, view_, frontend::ProgressEvents::Steps::Restore,
                                    [this] { return stopAsked(); });
    const jobs::BackupListing listing = jobs::ListBackupJob(s_, file, password, events);
    view_.setHourglass(false);
    view_.setFileLine("");
    view_.showBusy(false);
    view_.setStatus(frontend::text::kPleaseWaiting);
    if (endRun()) return;

    const jobs::OpenedBackup& opened = listing.opened;
    const std::string named = chosen + ": ";
    if (!opened.found) {
        view_.showMessage(named + frontend::text::kNoSuchFile, Icon::Critical, Buttons::Ok);
        return;
    }
    if (!opened.isArchive) {
        view_.showMessage(named + frontend::text::kNotABackupFile + " (" + frontend::text::kInvalidBackup + ")",
                          Icon::Critical, Buttons::Ok);
        return;
    }
    if (opened.outcome == jobs::OpenOutcome::WrongPassword) {
        view_.showMessage(frontend::text::kWrongPassword, Icon::Information, Buttons::Ok);
        return;
    }
    if (listing.cancelled) {
        view_.showMessage(text::kTestCancelled, Icon::Information, Buttons::Ok);
        return;
    }
    bool whole = false;
    std::string verdict;
    for (const auto& line : frontend::ListingVerdict(listing, whole)) verdict += "\r\n" + ui.shown(line);
    if (!opened.hasInfoFile)
        verdict +=
            "\r\n" +
            (opened.infoFileError.empty() ? frontend::text::kNoInformationFile : ui.shown(opened.infoFileError)) +
            ": " + frontend::text::kInvalidBackup;
    else if (listing.damaged.empty() && opened.outcome != jobs::OpenOutcome::Opened)
        verdict += "\r\n" + std::string(frontend::text::kInvalidBackup);
    view_.showMessage(chosen + "\r\n" + verdict, whole ? Icon::Information : Icon::Critical, Buttons::Ok);
}

}  // namespace qm::runs
