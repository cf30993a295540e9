#pragma once
// The main window's handlers (frmMain): every rule of the window lives
// here; the window (Qt on Linux, Win32 on Windows) draws and forwards the
// user's gestures to these methods. Each run reads the window's controls
// into its job's request, calls the job and turns its report into the
// texts, icons, order and progress steps the user sees.
#include <optional>
#include <string>

#include "app/MainView.h"
#include "app/Session.h"
#include "jobs/BackupJob.h"
#include "jobs/OpenBackup.h"
#include "platform/System.h"

namespace qm::runs {

// The pop-up menu of an item frame.
enum class ItemArray { Backup, Restore };

class MainPresenter {
public:
    MainPresenter(app::Session& session, app::MainView& view) : s_(session), view_(view) {}
    MainPresenter(const MainPresenter&) = delete;
    MainPresenter& operator=(const MainPresenter&) = delete;

    // The window's load: what start-up learns, shown. False when no usable
    // Outlook profile was found (the message has been shown and the action
    // button disabled).
    bool InitializeMainWindow();
    // Activation: nothing with an empty command line; otherwise hide the
    // window, make one automatic backup with the settings the command line
    // carries, and quit. Acts once per process however often the window
    // becomes active again; answers whether it acted. `report` (when given)
    // tells what the run did.
    bool MainWindowActivated(jobs::BackupReport* report = nullptr);

    // The tab change and the protection box.
    void TabChanged();
    void ProtectClicked();
    // cbSource: every box enabled and clear, then the unavailable ones
    // disabled.
    void SourceProfileChanged();
    // cmdTargetFile: the save dialog; the chosen path (or nothing, when
    // cancelled) becomes the target of the next backup.
    void ChooseTargetFile();
    // The item frames' pop-up menu: enabled boxes become checked, disabled
    // ones clear; or every box clear.
    void SelectAllItems(ItemArray items);
    void DeselectAllItems(ItemArray items);

    // "Backup Now" on the backup tab or in the menu.
    void RunBackup();
    // "Browse..." on the restore tab.
    void OpenBackupFile();
    // "Restore Now" in the menu (no question asked).
    void RunRestore();
    // The action button: the backup run on the backup tab; on the restore
    // tab the restore run, after the user confirms.
    void ApplyPressed();
    // Unloads the windows and ends the event loop.
    void Quit();

    // The backup the restore tab has opened, if any.
    const jobs::OpenedBackup* loadedBackup() const { return loaded_ ? &*loaded_ : nullptr; }

private:
    app::Session& s_;
    app::MainView& view_;
    std::optional<jobs::OpenedBackup> loaded_;
};

// The action button's caption for a tab.
std::string ApplyCaptionFor(app::Tab tab);
// "qmdata" and the date as MM-DD-YY.
std::string DefaultTargetName(const platform::LocalDate& today);

}  // namespace qm::runs
