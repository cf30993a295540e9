#pragma once
// The one place where the native windows meet the core: the installation
// they work on, and each gesture of a window handed to its presenter. The
// windows draw and forward; they call nothing else of the core.
#include <cstdint>
#include <memory>
#include <string>

#include "app/MainView.h"
#include "app/Session.h"
#include "frontend/Installation.h"
#include "options/JobListPresenter.h"
#include "options/OptionsPresenter.h"
#include "options/OptionsView.h"
#include "platform/OpenPlatform.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"
#include "runs/MainPresenter.h"

namespace qm::win32gui {

// What the windows of one program run share.
struct WindowsContext {
    WindowsContext(app::Session& s, platform::Scheduler& jobs, std::string programPath,
                   platform::Shell* desktop = nullptr)
        : session(s), scheduler(jobs), program(std::move(programPath)), shell(desktop) {}

    app::Session& session;
    platform::Scheduler& scheduler;
    // What a scheduled job starts: this program, by its own path.
    std::string program;
    // Help and web pages; none: they are not opened.
    platform::Shell* shell;
    // The page "Our Website" opens.
    std::string website = "https://quillmark.example.org/";
    // The user the windows work for, shown on the main window's status bar
    // (none: nothing is shown).
    platform::InstallationPlace place;
    // The options window's target file, kept for the program's run.
    options::KeptOptions keptOptions;
};

// The Windows this runs in, opened for the windows as for the console,
// with the shell for the help and the web page.
class OpenedWindows {
public:
    OpenedWindows();
    ~OpenedWindows();
    // False with the reason to show when the installation or a work folder
    // cannot be used.
    bool open(const platform::PlatformOptions& options, std::string& why);
    WindowsContext& context() { return *context_; }

private:
    frontend::Installation installation_;
    std::unique_ptr<platform::Shell> shell_;
    std::unique_ptr<WindowsContext> context_;
};

// The page "Our Website" (the menu entry and the About window's link).
void OpenWebsite(WindowsContext& context);

// frmMain's gestures. Each command that would start a run, or change what
// one works on, is refused while a run works (the window keeps answering
// then, and a second run must not start).
class MainGestures {
public:
    MainGestures(WindowsContext& context, app::MainView& view);

    bool running() const;
    // The window's load: false when no Outlook profile was found.
    bool load();
    void tabChanged();
    void protectClicked();
    void sourceProfileChanged();
    void chooseTargetFile();
    void openBackupFile();
    // cmdApply; the menu's "Backup Now" and "Restore Now".
    void apply();
    void backupNow();
    void restoreNow();
    // The pop-up of an item frame.
    void selectAll(bool backupItems);
    void deselectAll(bool backupItems);
    // File > "Test Backup File...", "Open Installation...".
    void testBackupFile();
    void openInstallation();
    // The busy panel's Cancel and Esc: the run working stops.
    void cancel();
    // Quit, the close box: asks first while a run works.
    void quit();
    void openHelp();
    void openWebsite();

private:
    WindowsContext& context_;
    runs::MainPresenter presenter_;
};

// Frmoption's gestures.
class OptionsGestures {
public:
    OptionsGestures(WindowsContext& context, options::OptionsView& view);
    void load();
    void sourceProfileChanged();
    void browse();
    void protectClicked();
    void dailyClicked();
    void addTask();
    void openScheduler();

private:
    options::OptionsPresenter presenter_;
};

// frmScheduler's gestures.
class JobListGestures {
public:
    JobListGestures(WindowsContext& context, options::JobListView& view);
    void fill();
    void remove(std::uint32_t jobNumber);
    void runNow(std::uint32_t jobNumber);
    // The view's timer, while a job run now works.
    void poll();

private:
    // Each job's last run; it outlives the presenter that reads it.
    jobs::RunHistory history_;
    options::JobListPresenter presenter_;
};

}  // namespace qm::win32gui
