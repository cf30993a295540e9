#include "win32gui/MessageLoop.h"

namespace qm::win32gui {
namespace {

HWND shortcutWindow = nullptr;
HACCEL shortcutTable = nullptr;
bool quitting = false;
int exitStatus = 0;

bool isDialog(HWND window) {
    wchar_t name[16] = {};
    return GetClassNameW(window, name, 16) && lstrcmpW(name, L"#32770") == 0;
}

// Ctrl+A in a box selects its text, as the user expects there.
bool isEditKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != 'A' || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
    wchar_t name[16] = {};
    return GetClassNameW(msg.hwnd, name, 16) && lstrcmpiW(name, L"Edit") == 0;
}

void dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && root == shortcutWindow && shortcutTable && !isEditKey(msg) &&
        TranslateAcceleratorW(root, shortcutTable, &msg))
        return;
    if (root && isDialog(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

void setShortcutWindow(HWND window, HACCEL shortcuts) {
    shortcutWindow = window;
    shortcutTable = shortcuts;
}

int runMessageLoop() {
    MSG msg;
    while (!quitting) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) exitStatus = static_cast<int>(msg.wParam);
            break;
        }
        dispatch(msg);
    }
    return exitStatus;
}

void runPendingMessages() {
    MSG msg;
    while (!quitting && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitting = true;
            exitStatus = static_cast<int>(msg.wParam);
            break;
        }
        dispatch(msg);
    }
}

bool quitAsked() { return quitting; }

}  // namespace qm::win32gui
