#include "win32gui/WindowsFixture.h"

#include <commctrl.h>

#include "platform/memory/MemoryPlatform.h"
#include "support/HostDrive.h"
#include "win32gui/PasswordDialog.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"
#include "win32gui/Text.h"

namespace qm::test {

using win32gui::SystemDialogs;

Probe::Probe() {
    static const bool registered = [] {
        WNDCLASSW type{};
        type.lpfnWndProc = procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"QuillmarkTestProbe";
        return RegisterClassW(&type) != 0;
    }();
    EXPECT_TRUE(registered);
    window_ = CreateWindowExW(0, L"QuillmarkTestProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Probe::~Probe() { DestroyWindow(window_); }

void Probe::post(std::function<void()> probe) {
    probe_ = std::move(probe);
    PostMessageW(window_, WM_APP, 0, 0);
}

LRESULT CALLBACK Probe::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        auto* self = reinterpret_cast<Probe*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && self->probe_) {
            auto probe = std::move(self->probe_);
            self->probe_ = nullptr;
            probe();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void WindowsTest::SetUp() {
    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(app::Answer::Ok);
    win32gui::PasswordDialog::clearQueue();
}

void WindowsTest::TearDown() {
    window_.reset();
    context_.reset();
    SystemDialogs::reset();
    win32gui::PasswordDialog::clearQueue();
    pumpMessages();
}

WindowsInstallation& WindowsTest::install(const std::string& user, const std::string& outlook,
                                          const std::string& profile, const std::string& second) {
    auto inst = std::make_unique<WindowsInstallation>();
    auto mem = platform::memory::openMemoryPlatform(inst->platform, user);
    mem.files->mount('Z', hostDrive());
    mem.outlook->version = outlook;
    sample::SampleOptions options;
    options.user = user;
    options.outlook = outlook;
    options.profile = profile;
    options.secondProfile = second;
    std::string error;
    EXPECT_TRUE(sample::buildSample(options, inst->platform, inst->made, error)) << error;
    inst->session = std::make_unique<app::Session>(inst->platform);
    installs_.push_back(std::move(inst));
    return *installs_.back();
}

win32gui::MainDialog& WindowsTest::open(WindowsInstallation& inst, platform::Scheduler* jobs,
                                        const std::string& program) {
    window_.reset();
    context_ = std::make_unique<win32gui::WindowsContext>(*inst.session, jobs ? *jobs : scheduler, program);
    context_->place = place;
    window_ = std::make_unique<win32gui::MainDialog>(*context_);
    window_->setQuitAction([this] { quitCalled_ = true; });
    window_->open();
    window_->show();
    pumpMessages();
    return *window_;
}

void WindowsTest::menu(int id) const {
    const UINT state = GetMenuState(GetMenu(window_->hwnd()), static_cast<UINT>(id), MF_BYCOMMAND);
    ASSERT_NE(state, static_cast<UINT>(-1)) << "no menu entry " << id;
    if (state & (MF_GRAYED | MF_DISABLED)) return;
    SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void WindowsTest::itemsMenu(bool backupItems, int entry) const {
    HWND page = backupItems ? window_->backupPage() : window_->restorePage();
    HWND frame = GetDlgItem(page, backupItems ? ID_backupItems : ID_restoreItems);
    RECT r{};
    GetWindowRect(frame, &r);
    SystemDialogs::queueMenuChoice(entry);
    // The right button on the frame, between its boxes.
    SendMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), MAKELPARAM(r.right - 4, r.bottom - 4));
}

std::vector<std::string> WindowsTest::messages() const { return SystemDialogs::messagesShown(); }

std::string WindowsTest::onZ(const std::string& hostPath) { return hostDrive()->windowsPath(hostPath); }

}  // namespace qm::test
