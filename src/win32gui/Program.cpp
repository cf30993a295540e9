#include "win32gui/Program.h"

#include <windows.h>

#include <commctrl.h>

#include "win32gui/MainDialog.h"
#include "win32gui/MessageLoop.h"
#include "win32gui/Presenters.h"
#include "win32gui/SystemDialogs.h"

namespace qm::win32gui {

int runWindows(const platform::PlatformOptions& installation) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);

    OpenedWindows opened;
    std::string why;
    if (!opened.open(installation, why)) {
        SystemDialogs::message(nullptr, why, app::Icon::Critical, app::Buttons::Ok);
        return 1;
    }
    MainDialog window(opened.context());
    // Without an Outlook profile the window opens all the same (its menus
    // work); the load has said why.
    window.open();
    if (!window.hwnd()) {
        SystemDialogs::message(nullptr, "The main window cannot be made.", app::Icon::Critical, app::Buttons::Ok);
        return 1;
    }
    window.show();
    return runMessageLoop();
}

}  // namespace qm::win32gui
