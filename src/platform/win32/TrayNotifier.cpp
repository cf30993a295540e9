// A balloon over a tray icon of a hidden window, shown for a few seconds:
// what a scheduled job, which has no window, can show on the desktop.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>

#include "platform/Notifier.h"
#include "platform/win32/Utf16.h"

namespace qm::platform {
namespace {

constexpr DWORD kShownMilliseconds = 5000;
constexpr UINT kIconId = 1;

void copyTo(wchar_t* target, std::size_t size, const std::string& utf8) {
    std::wcsncpy(target, win32::wide(utf8).c_str(), size - 1);
    target[size - 1] = L'\0';
}

class TrayNotifier final : public Notifier {
public:
    bool notify(const std::string& summary, const std::string& body, std::string& why) override {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = L"QuillmarkNotifier";
        ::RegisterClassW(&windowClass);  // a second call finds it registered
        const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Quillmark", 0, 0, 0, 0, 0, nullptr,
                                              nullptr, instance, nullptr);
        if (!window) {
            why = "the notification's window cannot be made (error " + std::to_string(::GetLastError()) + ")";
            return false;
        }
        NOTIFYICONDATAW icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = window;
        icon.uID = kIconId;
        icon.uFlags = NIF_ICON | NIF_TIP | NIF_INFO;
        // The program's own icon when it has one.
        icon.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
        if (!icon.hIcon) icon.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32515));  // IDI_WARNING
        copyTo(icon.szTip, sizeof icon.szTip / sizeof icon.szTip[0], "Quillmark");
        copyTo(icon.szInfoTitle, sizeof icon.szInfoTitle / sizeof icon.szInfoTitle[0], summary);
        copyTo(icon.szInfo, sizeof icon.szInfo / sizeof icon.szInfo[0], body);
        icon.dwInfoFlags = NIIF_WARNING;
        if (!::Shell_NotifyIconW(NIM_ADD, &icon)) {
            ::DestroyWindow(window);
            why.clear();  // no notification area: no desktop to show it on
            return false;
        }
        // Shown while the window's messages are let run, then taken away.
        const DWORD until = ::GetTickCount() + kShownMilliseconds;
        while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        }
        ::Shell_NotifyIconW(NIM_DELETE, &icon);
        ::DestroyWindow(window);
        return true;
    }
};

}  // namespace

std::unique_ptr<Notifier> openNotifier() { return std::make_unique<TrayNotifier>(); }

}  // namespace qm::platform
