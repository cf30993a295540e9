#include "win32gui/AboutDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "app/Startup.h"
#include "win32gui/Controls.h"
#include "win32gui/Resources.h"

namespace qm::win32gui {

AboutDialog::AboutDialog(WindowsContext& context) : Dialog(IDD_frmAbout), context_(context) {}

AboutDialog::~AboutDialog() {
    if (hwnd()) DestroyWindow(hwnd());
    if (icon_) DestroyIcon(icon_);
    if (titleFont_) DeleteObject(titleFont_);
}

bool AboutDialog::onInit() {
    // The picture as large as its place, whatever the monitor.
    HWND picture = item(ID_aboutIcon);
    const RECT place = rectInParent(picture);
    const int size = std::min(place.right - place.left, place.bottom - place.top);
    icon_ = static_cast<HICON>(LoadImageW(programModule(), MAKEINTRESOURCEW(IDI_QUILLMARK), IMAGE_ICON, size, size, 0));
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);

    // The title in the dialog's font, larger and bold.
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfHeight = font.lfHeight * 8 / 5;
    font.lfWeight = FW_BOLD;
    titleFont_ = CreateFontIndirectW(&font);
    SendDlgItemMessageW(hwnd(), ID_lblVersion, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), TRUE);
    setItemText(hwnd(), ID_lblVersion, app::kMainCaption);

    // The link centred under the texts.
    HWND link = item(ID_lblWebsite);
    setWindowText(link, "<a href=\"" + context_.website + "\">" + context_.website + "</a>");
    const RECT r = rectInParent(link);
    SIZE ideal{};
    // LM_GETIDEALSIZE, which mingw-w64 names by its older name.
    SendMessageW(link, LM_GETIDEALHEIGHT, static_cast<WPARAM>(r.right - r.left), reinterpret_cast<LPARAM>(&ideal));
    if (ideal.cx > 0 && ideal.cx < r.right - r.left)
        SetWindowPos(link, nullptr, r.left + (r.right - r.left - ideal.cx) / 2, r.top, ideal.cx, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    // Enter closes the window, as its OK button is its first choice.
    SetFocus(item(ID_cmdOK));
    return false;
}

bool AboutDialog::onCommand(int id, int /*code*/) {
    if (id == ID_cmdOK || id == IDCANCEL) {
        close(IDOK);
        return true;
    }
    return false;
}

bool AboutDialog::onNotify(NMHDR& header, LRESULT& /*result*/) {
    if (header.idFrom == ID_lblWebsite && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        OpenWebsite(context_);
        return true;
    }
    return false;
}

}  // namespace qm::win32gui
