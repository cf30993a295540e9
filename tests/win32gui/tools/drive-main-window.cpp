// Drives the main window of the Windows build over the installation of the
// Windows it runs in, as a user does, for the end-to-end runs under Wine:
//   drive-main-window backup ARCHIVE [PASSWORD]
//     every item that has data, into ARCHIVE (protected with PASSWORD),
//     with the description "Made through the window"
//   drive-main-window restore ARCHIVE PROFILE [PASSWORD]
//     every item ARCHIVE holds, into PROFILE
// Prints every message the window shows, then the opened backup's facts and
// description; exit 0 when the run says it was completed with nothing failed.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "win32gui/MainDialog.h"
#include "win32gui/PasswordDialog.h"
#include "win32gui/Presenters.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"
#include "win32gui/support/WindowDriver.h"

namespace {

using namespace qm;
using namespace qm::test;
using win32gui::SystemDialogs;

// The pop-up of an item frame, with "Select all items" chosen.
void selectAllItems(win32gui::MainDialog& window, bool backupItems) {
    HWND page = backupItems ? window.backupPage() : window.restorePage();
    RECT r{};
    GetWindowRect(GetDlgItem(page, backupItems ? ID_backupItems : ID_restoreItems), &r);
    SystemDialogs::queueMenuChoice(ID_mnuSelectAll);
    SendMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), MAKELPARAM(r.right - 4, r.bottom - 4));
}

bool completed(const char* summary) {
    const auto& shown = SystemDialogs::messagesShown();
    for (const auto& m : shown) std::printf("message: %s\n", m.c_str());
    for (const auto& m : shown)
        if (m.rfind(summary, 0) == 0) return m.find("Fail!") == std::string::npos;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if ((mode != "backup" || argc > 4) && (mode != "restore" || argc < 4 || argc > 5)) {
        std::fprintf(stderr,
                     "usage: drive-main-window backup ARCHIVE [PASSWORD]\n"
                     "       drive-main-window restore ARCHIVE PROFILE [PASSWORD]\n");
        return 2;
    }
    const std::string archive = argv[2];
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    win32gui::OpenedWindows opened;
    std::string why;
    if (!opened.open({}, why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    SystemDialogs::answerUnaskedWith(app::Answer::Ok);
    win32gui::MainDialog window(opened.context());
    window.setQuitAction([] {});
    if (!window.open()) {
        completed("");
        return 1;
    }
    window.show();
    pumpMessages();
    const auto control = [&window](int id) { return window.control(id); };

    if (mode == "backup") {
        SystemDialogs::queueFileName(archive);
        clickOn(control(ID_cmdTargetFile));
        selectAllItems(window, true);
        typeInto(control(ID_txtAttachInfo), "Made through the window");
        if (argc == 4) {
            clickOn(control(ID_ifprotect));
            typeInto(control(ID_txtPassword), argv[3]);
            typeInto(control(ID_txtPassword2), argv[3]);
        }
        if (!clickOn(control(ID_cmdApply))) return 1;
        return completed("The Backup was Completed!") ? 0 : 1;
    }

    window.selectTab(app::Tab::Restore);
    if (argc == 5) win32gui::PasswordDialog::queueAnswer(std::string(argv[4]));
    SystemDialogs::queueFileName(archive);
    clickOn(control(ID_cmdSourceFile));
    std::printf("facts: %s\ndescription: %s\n", textOf(control(ID_txtPOBinfo)).c_str(),
                textOf(control(ID_txtFileInfo)).c_str());
    if (!chooseIn(control(ID_cbTarget), argv[3])) {
        std::fprintf(stderr, "no profile %s\n", argv[3]);
        return 1;
    }
    selectAllItems(window, false);
    if (!clickOn(control(ID_cmdApply))) return 1;
    return completed("The Restore was Completed!") ? 0 : 1;
}
