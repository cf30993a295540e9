#include "win32gui/Dialog.h"

namespace qm::win32gui {

HINSTANCE programModule() { return GetModuleHandleW(nullptr); }

Dialog::~Dialog() {
    if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::showModal(HWND owner) {
    modal_ = true;
    const INT_PTR result =
        DialogBoxParamW(programModule(), MAKEINTRESOURCEW(template_), owner, procedure, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result;
}

bool Dialog::create(HWND parent) {
    modal_ = false;
    return CreateDialogParamW(programModule(), MAKEINTRESOURCEW(template_), parent, procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::close(INT_PTR result) {
    if (!hwnd_) return;
    if (modal_)
        EndDialog(hwnd_, result);
    else
        DestroyWindow(hwnd_);
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->hwnd_ = window;
        return self->onInit() ? TRUE : FALSE;
    }
    if (!self) return FALSE;
    INT_PTR result = 0;
    switch (message) {
        case WM_COMMAND:
            if (self->onCommand(LOWORD(wParam), HIWORD(wParam))) return TRUE;
            break;
        case WM_NOTIFY: {
            LRESULT answer = 0;
            if (self->onNotify(*reinterpret_cast<NMHDR*>(lParam), answer)) {
                SetWindowLongPtrW(window, DWLP_MSGRESULT, answer);
                return TRUE;
            }
            break;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, DWLP_USER, 0);
            self->hwnd_ = nullptr;
            return FALSE;
        default:
            break;
    }
    if (self->onMessage(message, wParam, lParam, result)) return result;
    return FALSE;
}

}  // namespace qm::win32gui
