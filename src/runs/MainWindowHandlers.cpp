// The main window's load, activation and small commands.
#include <cstdio>

#include "app/Startup.h"
#include "app/ViewText.h"
#include "frontend/Installation.h"
#include "frontend/Summaries.h"
#include "items/ItemTable.h"
#include "jobs/AutomaticBackup.h"
#include "runs/MainPresenter.h"
#include "runs/Texts.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

bool MainPresenter::InitializeMainWindow() {
    const app::ViewText ui(s_.codePage);
    view_.setCaption(app::kMainCaption);
    // The skin is the window's own business.
    view_.showBusy(false);
    view_.setProgress(0);
    view_.setApplyCaption(ApplyCaptionFor(view_.currentTab()));

    const bool found = app::LoadEnvironment(s_);
    view_.setInstallationText(ui.shown(frontend::InstallationText(s_)));
    if (!found) {
        view_.showMessage(frontend::kNoOutlookMessage, Icon::Critical, Buttons::Ok);
        view_.setApplyEnabled(false);
        return false;
    }
    for (const auto& name : s_.state.ProfileNames) {
        view_.addSourceProfile(ui.shown(name));
        view_.addTargetProfile(ui.shown(name));
    }
    view_.setSourceProfileText(ui.shown(s_.state.ProfileNames.front()));
    view_.setTargetProfileText(ui.shown(s_.state.ProfileNames.front()));
    SourceProfileChanged();
    return true;
}

bool MainPresenter::MainWindowActivated(jobs::BackupReport* report) {
    jobs::BackupReport local;
    jobs::BackupReport& out = report ? *report : local;
    out = jobs::BackupReport{};
    // Hiding the window or a message box of the run can activate it again;
    // the backup must still run only once.
    if (s_.state.CommandLine.empty() || s_.state.AutomaticRunStarted) return false;
    s_.state.AutomaticRunStarted = true;
    view_.hideWindow();
    jobs::AutomaticSettings settings;
    if (jobs::ParseCommandLine(s_.state.CommandLine, settings, out.failure))
        out = jobs::RunAutomaticBackup(s_, settings);
    Quit();
    return true;
}

std::string ApplyCaptionFor(app::Tab tab) { return tab == app::Tab::Backup ? text::kBackupNow : text::kRestoreNow; }

void MainPresenter::TabChanged() { view_.setApplyCaption(ApplyCaptionFor(view_.currentTab())); }

void MainPresenter::ProtectClicked() { view_.setPasswordBoxes(view_.protectChecked()); }

void MainPresenter::SourceProfileChanged() {
    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i) {
        view_.setBackupItemEnabled(i, true);
        view_.setBackupItemChecked(i, false);
    }
    const items::ItemAvailability available =
        items::availableItems(s_, app::ViewText(s_.codePage).typed(view_.sourceProfile()));
    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i)
        if (!available.enabled[static_cast<std::size_t>(i)]) view_.setBackupItemEnabled(i, false);
    if (available.noAddressBook)
        view_.setBackupItemTooltip(static_cast<int>(items::kAddressBookItem), items::kNoPabTooltip);
}

std::string DefaultTargetName(const platform::LocalDate& today) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d-%02d-%02d", today.month, today.day, today.year % 100);
    return std::string("qmdata") + date;
}

void MainPresenter::ChooseTargetFile() {
    const app::ViewText ui(s_.codePage);
    const std::string chosen =
        view_.chooseFileToSave(text::kSaveTitle, text::kQmkFilter, DefaultTargetName(s_.system.today()));
    // A cancelled dialog empties the target: a backup then stops at its
    // first check.
    view_.setTargetFileText(chosen);
    s_.state.TargetArchivePath = ui.typed(chosen);
}

void MainPresenter::SelectAllItems(ItemArray items) {
    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i) {
        if (items == ItemArray::Backup)
            view_.setBackupItemChecked(i, view_.backupItemEnabled(i));
        else
            view_.setRestoreItemChecked(i, view_.restoreItemEnabled(i));
    }
}

void MainPresenter::DeselectAllItems(ItemArray items) {
    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i) {
        if (items == ItemArray::Backup)
            view_.setBackupItemChecked(i, false);
        else
            view_.setRestoreItemChecked(i, false);
    }
}

void MainPresenter::Quit() { view_.quit(); }

}  // namespace qm::runs
