// The main window's load, activation and small commands.
#include <cstdio>

#include "app/Startup.h"
#include "app/ViewText.h"
#include "base/WinPath.h"
#include "frontend/Installation.h"
#include "frontend/RunRecords.h"
#include "frontend/Summaries.h"
#include "items/ItemTable.h"
#include "jobs/AutomaticBackup.h"
#include "jobs/BackupRequest.h"
#include "jobs/RunHistory.h"
#include "jobs/Texts.h"
#include "runs/MainPresenter.h"
#include "runs/Texts.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

namespace {

// At most this many failed scheduled runs are named when the window opens;
// the others are counted.
constexpr std::size_t kToldFailures = 3;

}  // namespace

std::string InstallationText(const platform::InstallationPlace& place) {
    if (place.prefix.empty()) return text::kWindowsUser + place.user;
    return text::kInstallationPrefix + place.prefix + text::kInstallationUser + place.user;
}

bool MainPresenter::InitializeMainWindow() {
    const app::ViewText ui(s_.codePage);
    view_.setCaption(app::kMainCaption);
    // The skin is the window's own business.
    view_.showBusy(false);
    view_.setProgress(0);
    view_.setApplyCaption(ApplyCaptionFor(view_.currentTab()));
    if (!context_.place.user.empty()) view_.setInstallationText(InstallationText(context_.place));

    const bool found = app::LoadEnvironment(s_);
    view_.setOutlookText(ui.shown(frontend::OutlookText(s_)));
    if (!found) {
        view_.showMessage(frontend::kNoOutlookMessage, Icon::Critical, Buttons::Ok);
        view_.setApplyEnabled(false);
        tellUntoldFailures();
        return false;
    }
    for (const auto& name : s_.state.ProfileNames) {
        view_.addSourceProfile(ui.shown(name));
        view_.addTargetProfile(ui.shown(name));
    }
    view_.setSourceProfileText(ui.shown(s_.state.ProfileNames.front()));
    view_.setTargetProfileText(ui.shown(s_.state.ProfileNames.front()));
    SourceProfileChanged();
    tellUntoldFailures();
    return true;
}

void MainPresenter::tellUntoldFailures() {
    // A scheduled backup is seen failing only here: nobody watches cron.
    jobs::RunHistory history = jobs::RunHistory::of(s_);
    const std::vector<jobs::RunRecord> failed = history.untoldFailures();
    if (failed.empty()) return;
    std::string message;
    const std::size_t first = failed.size() > kToldFailures ? failed.size() - kToldFailures : 0;
    for (std::size_t i = failed.size(); i-- > first;) {
        const jobs::RunRecord& r = failed[i];
        if (!message.empty()) message += "\r\n\r\n";
        message += text::kScheduledFailedBefore + r.file + text::kScheduledFailedOn + r.time + ":\r\n" + r.message;
    }
    if (first > 0) message += "\r\n\r\n" + std::to_string(first) + text::kScheduledFailedMore;
    view_.showMessage(message, Icon::Exclamation, Buttons::Ok);
    history.markTold(failed.back().time);
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
    if (jobs::ParseCommandLine(s_.state.CommandLine, settings, out.failure)) {
        out = jobs::RunAutomaticBackup(s_, settings);
        std::string unrecorded;
        frontend::RecordRun(s_,
                            frontend::BackupRecord(s_, jobs::kScheduledRecord,
                                                   app::ViewText(s_.codePage).shown(settings.archivePath), out),
                            unrecorded);
    }
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
    return std::string("qmdata") + date + jobs::text::kBackupExtension;
}

void MainPresenter::ChooseTargetFile() {
    const app::ViewText ui(s_.codePage);
    std::string chosen =
        view_.chooseFileToSave(text::kSaveTitle, text::kQmkFilter, DefaultTargetName(s_.system.today()));
    if (!chosen.empty()) {
        std::string named = jobs::WithBackupExtension(chosen);
        // The dialog asked about the name as typed; the file it now names
        // may be there.
        if (named != chosen && s_.files.stat(s_.files.fromUserPath(ui.typed(named))).exists &&
            view_.showMessage(named + jobs::text::kReplaceAfter, Icon::Exclamation, Buttons::OkCancel) !=
                app::Answer::Ok)
            named.clear();
        chosen = named;
    }
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

void MainPresenter::beginRun(Working what) {
    working_ = what;
    cancelRequested_ = false;
}

bool MainPresenter::endRun() {
    working_ = Working::Nothing;
    cancelRequested_ = false;
    if (!quitAfterRun_) return false;
    quitAfterRun_ = false;
    view_.quit();
    return true;
}

void MainPresenter::recordRun(const jobs::RunRecord& record, std::string& message) {
    std::string why;
    if (!frontend::RecordRun(s_, record, why))
        message += std::string("\r\n\r\n") + text::kNotRecorded + app::ViewText(s_.codePage).shown(why);
}

void MainPresenter::CancelPressed() {
    if (working_ == Working::Nothing || cancelRequested_) return;
    cancelRequested_ = true;
    view_.setStatus(text::kStopping);
}

bool MainPresenter::Quit() {
    if (working_ == Working::Nothing) {
        view_.quit();
        return true;
    }
    if (quitAfterRun_) return false;
    const char* question = working_ == Working::Backup    ? text::kStopBackupQuestion
                           : working_ == Working::Restore ? text::kStopRestoreQuestion
                                                          : text::kStopTestQuestion;
    if (view_.showMessage(question, Icon::Question, Buttons::OkCancel) != app::Answer::Ok) return false;
    // The run may have ended while the question was up.
    if (working_ == Working::Nothing) {
        view_.quit();
        return true;
    }
    quitAfterRun_ = true;
    CancelPressed();
    return false;
}

}  // namespace qm::runs
