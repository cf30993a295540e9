#pragma once
// The main window's handlers (frmMain): every rule of the window lives
// here; the window (Qt on Linux, Win32 on Windows) draws and forwards the
// user's gestures to these methods. Each run reads the window's controls
// into its job's request, calls the job and turns its report into the
// texts, icons, order and progress steps the user sees.
#include <functional>
#include <optional>
#include <string>

#include "app/MainView.h"
#include "app/Session.h"
#include "jobs/BackupJob.h"
#include "jobs/OpenBackup.h"
#include "jobs/RunHistory.h"
#include "platform/OpenPlatform.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace qm::runs {

// The pop-up menu of an item frame.
enum class ItemArray { Backup, Restore };

// What the main window takes from the program around it.
struct MainContext {
    // The installation the window works on, as the user names it, and the
    // options it was opened with.
    platform::InstallationPlace place;
    platform::PlatformOptions options;
    // Opens another installation in this window's place (the window is
    // made anew over it once the command has returned); false with the
    // reason when it cannot be opened. Unset: the window works on this one
    // only (Windows).
    std::function<bool(const platform::PlatformOptions& options, std::string& why)> openInstallation;
    // The desktop's browser; none: the help opens in the program's window.
    platform::Shell* shell = nullptr;
    // The help page (host path) and the page "Our Website" opens.
    std::string helpFile;
    std::string website;
};

class MainPresenter {
public:
    MainPresenter(app::Session& session, app::MainView& view, MainContext context = {})
        : s_(session), view_(view), context_(std::move(context)) {}
    MainPresenter(const MainPresenter&) = delete;
    MainPresenter& operator=(const MainPresenter&) = delete;

    // The window's load: what start-up learns, shown, with the installation
    // the window works on; then any scheduled backup that failed since the
    // user was last told. False when no usable Outlook profile was found
    // (the message has been shown and the action button disabled).
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
    // cancelled) becomes the target of the next backup. A name without an
    // extension is given ".qmk" (asking before it names a file that is
    // there), so that the restore's dialog finds it.
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
    // File > "Test Backup File...": a backup file read to its end as a
    // restore would read it, and what was found.
    void TestBackupFile();

    // The busy panel's Cancel (and Escape): the run working stops at its
    // next step; a backup leaves the earlier archive as it was.
    void CancelPressed();
    // Quit, the close box: with no run working, the windows unload and the
    // event loop ends (true). While one works, the user is asked; on OK the
    // run stops and the window quits once it has (false: not yet).
    bool Quit();

    // File > "Open Installation...": a Wine prefix's folder and one of its
    // users, opened in this window's place.
    void OpenAnotherInstallation();
    // Help > "Help" (F1): the help page in the browser, else in a window of
    // the program's own. Help > "Our Website": the page in the browser,
    // else its address in a message.
    void ShowHelp();
    void ShowWebsite();

    // The backup the restore tab has opened, if any.
    const jobs::OpenedBackup* loadedBackup() const { return loaded_ ? &*loaded_ : nullptr; }

private:
    enum class Working { Nothing, Backup, Restore, Test };
    // The events of a run: its progress on the view, and the Cancel.
    bool stopAsked() const { return cancelRequested_; }
    // Sets what is working; resets the Cancel for a new run.
    void beginRun(Working what);
    // Ends the run: true when the window is to quit now (the user asked
    // while it worked), after which nothing more is shown.
    bool endRun();
    void recordRun(const jobs::RunRecord& record, std::string& message);
    void tellUntoldFailures();

    app::Session& s_;
    app::MainView& view_;
    MainContext context_;
    std::optional<jobs::OpenedBackup> loaded_;
    // The backup file the restore tab opened, as the user chose it.
    std::string loadedFile_;
    Working working_ = Working::Nothing;
    bool cancelRequested_ = false;
    bool quitAfterRun_ = false;
};

// The action button's caption for a tab.
std::string ApplyCaptionFor(app::Tab tab);
// "qmdata" and the date as MM-DD-YY, with ".qmk".
std::string DefaultTargetName(const platform::LocalDate& today);
// "Wine prefix /home/alice/.wine, user alice" (on Windows "User alice").
std::string InstallationText(const platform::InstallationPlace& place);

}  // namespace qm::runs
