#pragma once
// The native windows, opened modeless over sample installations (held in
// memory, or made in the Windows the tests run in) and driven through their
// controls by id, as a user drives them: clicks, choices, keys. Message
// boxes, file dialogs, the password window and pop-up menus answer through
// their hooks, so nothing waits.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Session.h"
#include "fakes/FakeScheduler.h"
#include "platform/OpenPlatform.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "sample/SampleInstallation.h"
#include "support/TempDir.h"
#include "win32gui/MainDialog.h"
#include "win32gui/Presenters.h"
#include "win32gui/support/WindowDriver.h"

namespace qm::test {

struct WindowsInstallation {
    platform::Platform platform;
    sample::SampleInstallation made;
    std::unique_ptr<app::Session> session;
};

// Runs `probe` on the window's thread the next time its messages run (from
// inside a run's yielding, for instance).
class Probe {
public:
    Probe();
    ~Probe();
    void post(std::function<void()> probe);

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    std::function<void()> probe_;
};

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A sample installation in memory, with the host's files as Z:.
    WindowsInstallation& install(const std::string& user, const std::string& outlook,
                                 const std::string& profile = "Outlook", const std::string& second = "");
    // The main window over an installation, loaded and shown; scheduled
    // jobs start `program`.
    win32gui::MainDialog& open(WindowsInstallation& inst, platform::Scheduler* jobs = nullptr,
                               const std::string& program = "C:\\Program Files\\Quillmark\\quillmark.exe");
    win32gui::WindowsContext& context() { return *context_; }

    HWND control(int id) const { return window_->control(id); }
    std::string text(int id) const { return textOf(control(id)); }
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    bool checked(int id) const { return isCheckedBox(control(id)); }
    bool click(int id) const { return clickOn(control(id)); }
    // A menu entry chosen; nothing when it is greyed.
    void menu(int id) const;
    // The pop-up of an item frame, with this entry chosen.
    void itemsMenu(bool backupItems, int entry) const;
    std::vector<std::string> messages() const;
    // Z:\... for a host path: the host's own files in a memory installation.
    static std::string onZ(const std::string& hostPath);

    TempDir dir;
    FakeScheduler scheduler;
    // The installation the next window opened names on its status bar.
    platform::InstallationPlace place;
    std::vector<std::unique_ptr<WindowsInstallation>> installs_;
    std::unique_ptr<win32gui::WindowsContext> context_;
    std::unique_ptr<win32gui::MainDialog> window_;
    bool quitCalled_ = false;
};

}  // namespace qm::test
