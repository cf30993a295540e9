#pragma once
// The one place where the native windows meet the core: the installation
// they work on, and each gesture of a window handed to its presenter. The
// windows draw and forward; they call nothing else of the core.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/MainView.h"
#include "app/Session.h"
#include "options/JobList.h"
#include "options/OptionsView.h"
#include "options/OptionsWindow.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"

namespace qm::win32gui {

// What the windows of one program run share.
struct WindowsContext {
    WindowsContext(app::Session& s, platform::Scheduler& jobs, platform::Shell* desktop = nullptr)
        : session(s), scheduler(jobs), shell(desktop) {}

    app::Session& session;
    platform::Scheduler& scheduler;
    // Help and web pages; none: they are not opened.
    platform::Shell* shell;
    // The page "Our Website" opens.
    std::string website = "https://quillmark.example.org/";
    // The options window's target file, kept for the program's run.
    options::KeptOptions keptOptions;
};

// The Windows this runs in, opened for the windows: its services, a
// session with its own work folder, its job scheduler and its shell.
class OpenedWindows {
public:
    OpenedWindows();
    ~OpenedWindows();
    // False with the reason to show when the installation or a work folder
    // cannot be used.
    bool open(std::string& why);
    WindowsContext& context() { return *context_; }

private:
    platform::Platform platform_;
    std::unique_ptr<app::Session> session_;
    std::unique_ptr<platform::Scheduler> scheduler_;
    std::unique_ptr<platform::Shell> shell_;
    std::unique_ptr<WindowsContext> context_;
};

// The page "Our Website" (the menu entry and the About window's link).
void OpenWebsite(WindowsContext& context);

// frmMain's gestures. Each command is refused while a run works (the
// window keeps answering then, and a second run must not start).
class MainPresenter {
public:
    MainPresenter(WindowsContext& context, app::MainView& view) : context_(context), view_(view) {}

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
    void quit();
    void openHelp();
    void openWebsite();

    // A question this build answers without asking: there is no disc
    // writing on Windows, so the offer to write the backup to a disc is
    // declined.
    static std::optional<app::Answer> answeredWithoutAsking(const std::string& text);

private:
    WindowsContext& context_;
    app::MainView& view_;
};

// Frmoption's gestures.
class OptionsPresenter {
public:
    OptionsPresenter(WindowsContext& context, options::OptionsView& view);
    ~OptionsPresenter();
    void load();
    void sourceProfileChanged();
    void browse();
    void protectClicked();
    void dailyClicked();
    void addTask();
    void openScheduler();

private:
    WindowsContext& context_;
    options::OptionsContext optionsContext_;
    std::unique_ptr<options::OptionsSession> session_;
};

// frmScheduler's gestures.
class JobListPresenter {
public:
    JobListPresenter(WindowsContext& context, options::JobListView& view) : context_(context), view_(view) {}
    void fill();
    void remove(std::uint32_t jobNumber);

private:
    WindowsContext& context_;
    options::JobListView& view_;
};

}  // namespace qm::win32gui
