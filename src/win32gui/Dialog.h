#pragma once
// A window made from a dialog template of the program's resources: shown
// modally (its own loop, as the system runs a dialog box) or made modeless
// (the main window, its tab pages, and every window in the tests, which
// drive it through its controls while nothing waits).
#include <windows.h>

namespace qm::win32gui {

class Dialog {
public:
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Shown over `owner` until closed; answers the id it was closed with.
    INT_PTR showModal(HWND owner);
    // Made (not yet shown) as a window of its own or as a child of `parent`.
    bool create(HWND parent);
    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

protected:
    explicit Dialog(int templateId) : template_(templateId) {}

    // The window and its controls exist: fill them. True gives the first
    // control the focus.
    virtual bool onInit() { return true; }
    // A control's or a menu's command; true when handled.
    virtual bool onCommand(int /*id*/, int /*code*/) { return false; }
    virtual bool onNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    // Any other message; true (with the dialog procedure's answer) when handled.
    virtual bool onMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }

    // Ends a modal window with `result`; destroys a modeless one.
    void close(INT_PTR result);
    bool isModal() const { return modal_; }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int template_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
};

// The program's module, holding its resources.
HINSTANCE programModule();

}  // namespace qm::win32gui
