#include "win32gui/Controls.h"

#include <commctrl.h>

#include <vector>

#include "win32gui/Text.h"

namespace qm::win32gui {

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return utf8(text);
}

void setWindowText(HWND window, const std::string& text) { SetWindowTextW(window, wide(text).c_str()); }

std::string itemText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

void setItemText(HWND dialog, int id, const std::string& text) { setWindowText(GetDlgItem(dialog, id), text); }

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void setChecked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool isEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void setEnabled(HWND dialog, int id, bool enabled) { EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

void addComboEntry(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
}

void setComboText(HWND dialog, int id, const std::string& text) {
    HWND combo = GetDlgItem(dialog, id);
    const std::wstring w = wide(text);
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(w.c_str()));
    if (index != CB_ERR) {
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    // A list without the text shows none; an editable box shows it anyway.
    if ((GetWindowLongW(combo, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST)
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    else
        SetWindowTextW(combo, w.c_str());
}

int dialogUnitsX(HWND dialog, int units) {
    RECT r{0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}

int dialogUnitsY(HWND dialog, int units) {
    RECT r{0, 0, 0, units};
    MapDialogRect(dialog, &r);
    return r.bottom;
}

RECT rectInParent(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

ToolTips::~ToolTips() {
    if (tips_ && IsWindow(tips_)) DestroyWindow(tips_);
}

void ToolTips::attach(HWND dialog) {
    dialog_ = dialog;
    tips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, nullptr, nullptr);
    // Long tips wrap instead of running off the screen.
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, dialogUnitsX(dialog, 300));
}

void ToolTips::set(int id, const std::string& text) {
    if (!tips_) return;
    HWND control = GetDlgItem(dialog_, id);
    std::wstring& kept = texts_[id];
    const bool known = !kept.empty();
    kept = wide(text);
    TTTOOLINFOW over{};
    over.cbSize = sizeof over;
    over.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    over.hwnd = dialog_;
    over.uId = reinterpret_cast<UINT_PTR>(control);
    over.lpszText = kept.data();
    TTTOOLINFOW around{};
    around.cbSize = sizeof around;
    around.uFlags = TTF_SUBCLASS;
    around.hwnd = dialog_;
    around.uId = static_cast<UINT_PTR>(id);
    around.rect = rectInParent(control);
    around.lpszText = kept.data();
    const UINT message = known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW;
    SendMessageW(tips_, message, 0, reinterpret_cast<LPARAM>(&over));
    SendMessageW(tips_, message, 0, reinterpret_cast<LPARAM>(&around));
}

std::string ToolTips::text(int id) const {
    if (!tips_) return {};
    std::vector<wchar_t> buffer(1024, L'\0');
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = dialog_;
    info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog_, id));
    info.lpszText = buffer.data();
    SendMessageW(tips_, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    return utf8(buffer.data());
}

}  // namespace qm::win32gui
