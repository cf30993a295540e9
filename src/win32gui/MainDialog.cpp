#include "win32gui/MainDialog.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "win32gui/AboutDialog.h"
#include "win32gui/ChoiceDialog.h"
#include "win32gui/ItemFrames.h"
#include "win32gui/MessageLoop.h"
#include "win32gui/OptionsDialog.h"
#include "win32gui/PasswordDialog.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"
#include "win32gui/Text.h"

namespace qm::win32gui {
namespace {

constexpr int kItemCount = 8;
const wchar_t* const kDescriptionCue = L"What this backup holds, for whoever restores it";

// The description box shows what it is for while it is empty and unfocused
// (the system's cue banner is for one-line boxes only).
LRESULT CALLBACK cueBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) InvalidateRect(box, nullptr, TRUE);
    const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
    if (message == WM_PAINT && GetWindowTextLengthW(box) == 0 && GetFocus() != box) {
        HDC dc = GetDC(box);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkMode(dc, TRANSPARENT);
        RECT area{};
        SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
        DrawTextW(dc, kDescriptionCue, -1, &area, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
        SelectObject(dc, old);
        ReleaseDC(box, dc);
    }
    return result;
}

SIZE windowSize(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

ChildPanel::ChildPanel(int templateId, Dialog& holder, bool themedPage)
    : Dialog(templateId), holder_(holder), themedPage_(themedPage) {}

bool ChildPanel::onInit() {
    // A tab page takes the tab's own background.
    if (themedPage_) EnableThemeDialogTexture(hwnd(), ETDT_ENABLETAB);
    return false;
}

bool ChildPanel::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_COMMAND:
        case WM_CONTEXTMENU:
            SendMessageW(holder_.hwnd(), message, wParam, lParam);
            result = TRUE;
            return true;
        case WM_NOTIFY:
            SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, SendMessageW(holder_.hwnd(), message, wParam, lParam));
            result = TRUE;
            return true;
        case WM_CTLCOLORSTATIC: {
            // Read-only and disabled boxes keep the grey of the system, not
            // the page's texture.
            wchar_t name[16] = {};
            if (GetClassNameW(reinterpret_cast<HWND>(lParam), name, 16) && lstrcmpiW(name, L"Edit") == 0) {
                auto dc = reinterpret_cast<HDC>(wParam);
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                SetTextColor(dc, GetSysColor(IsWindowEnabled(reinterpret_cast<HWND>(lParam)) ? COLOR_WINDOWTEXT
                                                                                             : COLOR_GRAYTEXT));
                result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

MainDialog::MainDialog(WindowsContext& context)
    : Dialog(IDD_frmMain),
      context_(context),
      presenter_(context, *this),
      backup_(IDD_BackupTab, *this, true),
      restore_(IDD_RestoreTab, *this, true),
      busy_(IDD_picCon3, *this, false) {}

MainDialog::~MainDialog() {
    if (hwnd()) {
        setShortcutWindow(nullptr, nullptr);
        DestroyWindow(hwnd());
    }
    for (HICON icon : {bigIcon_, smallIcon_, panelIcon_})
        if (icon) DestroyIcon(icon);
}

bool MainDialog::open() {
    if (!create(nullptr)) return false;
    return presenter_.load();
}

void MainDialog::show() {
    ShowWindow(hwnd(), SW_SHOWDEFAULT);
    // Started from the Start menu, the window is the one the user works in.
    SetForegroundWindow(hwnd());
    UpdateWindow(hwnd());
}

bool MainDialog::onInit() {
    const auto icon = [](int size) {
        return static_cast<HICON>(
            LoadImageW(programModule(), MAKEINTRESOURCEW(IDI_QUILLMARK), IMAGE_ICON, size, size, 0));
    };
    bigIcon_ = icon(GetSystemMetrics(SM_CXICON));
    smallIcon_ = icon(GetSystemMetrics(SM_CXSMICON));
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    // The pages live in the tab control, which Tab then walks into.
    HWND tab = item(ID_SSTab1);
    SetWindowLongW(tab, GWL_EXSTYLE, GetWindowLongW(tab, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    TCITEMW caption{};
    caption.mask = TCIF_TEXT;
    wchar_t backupText[] = L"Backup";
    wchar_t restoreText[] = L"Restore";
    caption.pszText = backupText;
    SendMessageW(tab, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&caption));
    caption.pszText = restoreText;
    SendMessageW(tab, TCM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&caption));
    backup_.create(tab);
    restore_.create(tab);
    busy_.create(hwnd());

    backupTips_.attach(backup_.hwnd());
    restoreTips_.attach(restore_.hwnd());
    fillItems(backup_.hwnd(), ID_backupitem_0, backupTips_);
    fillItems(restore_.hwnd(), ID_restoreitem_0, restoreTips_, true);
    // Only an opened backup offers items to restore.
    for (int i = 0; i < kItemCount; ++i) setEnabled(restore_.hwnd(), ID_restoreitem_0 + i, false);
    SendDlgItemMessageW(backup_.hwnd(), ID_txtPassword, EM_SETLIMITTEXT, 20, 0);
    SendDlgItemMessageW(backup_.hwnd(), ID_txtPassword2, EM_SETLIMITTEXT, 32767, 0);
    SetWindowSubclass(GetDlgItem(backup_.hwnd(), ID_txtAttachInfo), cueBox, 0, 0);

    SendDlgItemMessageW(busy_.hwnd(), ID_pbshow, PBM_SETRANGE32, 0, 100);
    const int pictureSize = dialogUnitsX(busy_.hwnd(), 18);
    panelIcon_ = icon(pictureSize);
    SendDlgItemMessageW(busy_.hwnd(), ID_picture, STM_SETICON, reinterpret_cast<WPARAM>(panelIcon_), 0);

    shortcuts_ = LoadAcceleratorsW(programModule(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    setShortcutWindow(hwnd(), shortcuts_);
    layOut();
    showPageOfTab();
    return true;
}

void MainDialog::layOut() {
    HWND tab = item(ID_SSTab1);
    const SIZE page = windowSize(backup_.hwnd());
    const int marginX = dialogUnitsX(hwnd(), 7), marginY = dialogUnitsY(hwnd(), 7);
    const int gapX = dialogUnitsX(hwnd(), 4), gapY = dialogUnitsY(hwnd(), 5);

    // The tab control around the pages' own size.
    RECT outer{0, 0, page.cx, page.cy};
    SendMessageW(tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&outer));
    const int tabWidth = outer.right - outer.left, tabHeight = outer.bottom - outer.top;
    SetWindowPos(tab, nullptr, marginX, marginY, tabWidth, tabHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT display{0, 0, tabWidth, tabHeight};
    SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (HWND p : {backup_.hwnd(), restore_.hwnd()})
        SetWindowPos(p, HWND_TOP, display.left, display.top, page.cx, page.cy, SWP_NOACTIVATE);

    int y = marginY + tabHeight + gapY;
    HWND panel = busy_.hwnd();
    if (busyShown_) {
        const SIZE panelSize = windowSize(panel);
        SetWindowPos(panel, nullptr, marginX, y, tabWidth, panelSize.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        // Cancel at its right edge; its lines and bar run up to Cancel.
        RECT inside{};
        GetClientRect(panel, &inside);
        HWND cancel = GetDlgItem(panel, ID_cmdCancel);
        const RECT c = rectInParent(cancel);
        const int cancelLeft = inside.right - dialogUnitsX(panel, 6) - (c.right - c.left);
        SetWindowPos(cancel, nullptr, cancelLeft, c.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        for (int id : {ID_Label1, ID_pbshow, ID_SkinLabel9, ID_SkinLabel10}) {
            HWND line = GetDlgItem(panel, id);
            const RECT r = rectInParent(line);
            SetWindowPos(line, nullptr, 0, 0, cancelLeft - r.left - dialogUnitsX(panel, 6), r.bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        y += panelSize.cy + gapY;
    } else {
        ShowWindow(panel, SW_HIDE);
    }

    const SIZE button = windowSize(item(ID_cmdQuit));
    const SIZE apply = windowSize(item(ID_cmdApply));
    const SIZE about = windowSize(item(ID_cmdAbout));
    const int right = marginX + tabWidth;
    SetWindowPos(item(ID_cmdAbout), nullptr, marginX, y, about.cx, about.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(item(ID_cmdQuit), nullptr, right - button.cx, y, button.cx, button.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(item(ID_cmdApply), nullptr, right - button.cx - gapX - apply.cx, y, apply.cx, apply.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    // The status bar below the buttons.
    HWND status = item(ID_lblInstallation);
    const int statusHeight = windowSize(status).cy;

    // The frame and the menu bar around the client area this needs.
    RECT window{}, client{};
    GetWindowRect(hwnd(), &window);
    GetClientRect(hwnd(), &client);
    const int frameX = (window.right - window.left) - client.right;
    const int frameY = (window.bottom - window.top) - client.bottom;
    SetWindowPos(hwnd(), nullptr, 0, 0, right + marginX + frameX, y + button.cy + marginY + statusHeight + frameY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // It places itself along the bottom edge.
    SendMessageW(status, WM_SIZE, 0, 0);
}

void MainDialog::showPageOfTab() {
    const bool restore = currentTab() == app::Tab::Restore;
    ShowWindow(backup_.hwnd(), restore ? SW_HIDE : SW_SHOW);
    ShowWindow(restore_.hwnd(), restore ? SW_SHOW : SW_HIDE);
}

void MainDialog::selectTab(app::Tab tab) {
    HWND tabs = item(ID_SSTab1);
    SendMessageW(tabs, TCM_SETCURSEL, tab == app::Tab::Restore ? 1 : 0, 0);
    NMHDR changed{tabs, static_cast<UINT_PTR>(ID_SSTab1), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(hwnd(), WM_NOTIFY, ID_SSTab1, reinterpret_cast<LPARAM>(&changed));
}

HWND MainDialog::control(int id) const {
    for (HWND holder : {hwnd(), backup_.hwnd(), restore_.hwnd(), busy_.hwnd()})
        if (HWND found = holder ? GetDlgItem(holder, id) : nullptr) return found;
    return nullptr;
}

std::string MainDialog::toolTip(int id) const {
    if (id >= ID_restoreitem_0 && id < ID_restoreitem_0 + kItemCount) return restoreTips_.text(id);
    return backupTips_.text(id);
}

bool MainDialog::onCommand(int id, int code) {
    switch (id) {
        case ID_cmdAbout:
        case ID_mnuAbout: {
            AboutDialog about(context_);
            about.showModal(hwnd());
            break;
        }
        case ID_cmdApply:
            presenter_.apply();
            break;
        case ID_cmdQuit:
        case ID_mnuQuit:
            presenter_.quit();
            break;
        case ID_cmdCancel:
        case IDCANCEL:
            // Esc as Cancel: stops the run that works, and nothing else.
            presenter_.cancel();
            break;
        case ID_mnuTestBackup:
            presenter_.testBackupFile();
            break;
        case ID_mnuOpenInstallation:
            presenter_.openInstallation();
            break;
        case ID_cmdTargetFile:
            presenter_.chooseTargetFile();
            break;
        case ID_cmdSourceFile:
            presenter_.openBackupFile();
            break;
        case ID_ifprotect:
            if (code == BN_CLICKED) presenter_.protectClicked();
            break;
        case ID_cbSource:
            if (code == CBN_SELCHANGE) presenter_.sourceProfileChanged();
            break;
        case ID_mnuBackupNow:
            presenter_.backupNow();
            break;
        case ID_restorenow:
            presenter_.restoreNow();
            break;
        case ID_mnuTaskScheduler:
            if (!presenter_.running()) {
                OptionsDialog options(context_);
                options.showModal(hwnd());
            }
            break;
        case ID_mnuHelp:
            presenter_.openHelp();
            break;
        case ID_mnuWebsite:
            presenter_.openWebsite();
            break;
        case IDOK:
            // Enter starts nothing in the main window.
            break;
        default:
            return false;
    }
    finishGesture();
    return true;
}

bool MainDialog::onNotify(NMHDR& header, LRESULT& /*result*/) {
    if (header.idFrom == ID_SSTab1 && header.code == static_cast<UINT>(TCN_SELCHANGE)) {
        showPageOfTab();
        presenter_.tabChanged();
        return true;
    }
    return false;
}

bool MainDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_CLOSE:
            // While a run works the presenter asks first, stops it, and the
            // window quits once it has stopped.
            presenter_.quit();
            result = TRUE;
            return true;
        case WM_CONTEXTMENU:
            result = itemsMenu(reinterpret_cast<HWND>(wParam), lParam) ? TRUE : FALSE;
            return true;
        case WM_SETCURSOR:
            if (!hourglass_) return false;
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
            result = TRUE;
            return true;
        default:
            return false;
    }
}

bool MainDialog::itemsMenu(HWND clicked, LPARAM at) {
    POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: at the control that has the focus.
        RECT r{};
        clicked = GetFocus();
        GetWindowRect(clicked, &r);
        point = POINT{r.left + 4, r.top + (r.bottom - r.top) / 2};
    }
    const struct {
        HWND page;
        int frame;
        bool backupItems;
    } frames[] = {{backup_.hwnd(), ID_backupItems, true}, {restore_.hwnd(), ID_restoreItems, false}};
    for (const auto& f : frames) {
        if (!IsWindowVisible(f.page)) continue;
        RECT r{};
        GetWindowRect(GetDlgItem(f.page, f.frame), &r);
        if (!PtInRect(&r, point)) continue;
        if (presenter_.running()) return true;
        const int choice = SystemDialogs::popupMenu(hwnd(), IDR_ITEMSMENU, point);
        if (choice == ID_mnuSelectAll) presenter_.selectAll(f.backupItems);
        if (choice == ID_mnuDeselectAll) presenter_.deselectAll(f.backupItems);
        return true;
    }
    return false;
}

void MainDialog::finishGesture() {
    if (quitPending_ && !presenter_.running()) quitNow();
}

bool MainDialog::quitNow() {
    quitPending_ = false;
    if (closed_) return false;
    closed_ = true;
    ShowWindow(hwnd(), SW_HIDE);
    if (quitAction_)
        quitAction_();
    else
        PostQuitMessage(0);
    return true;
}

app::Answer MainDialog::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return SystemDialogs::message(IsWindowVisible(hwnd()) ? hwnd() : nullptr, text, icon, buttons);
}

void MainDialog::showBusy(bool visible) {
    busyShown_ = visible;
    layOut();
    setCommandsEnabled(!visible);
    setEnabled(busy_.hwnd(), ID_cmdCancel, visible);
    // Enter or Space on Cancel stops the run at once.
    if (visible) SetFocus(GetDlgItem(busy_.hwnd(), ID_cmdCancel));
    UpdateWindow(hwnd());
}

void MainDialog::setCommandsEnabled(bool enabled) {
    EnableWindow(item(ID_cmdApply), enabled && applyAllowed_);
    setEnabled(backup_.hwnd(), ID_cmdTargetFile, enabled);
    setEnabled(restore_.hwnd(), ID_cmdSourceFile, enabled);
    HMENU menu = GetMenu(hwnd());
    for (int id : {ID_mnuBackupNow, ID_restorenow, ID_mnuTestBackup, ID_mnuOpenInstallation, ID_mnuTaskScheduler})
        EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(hwnd());
}

void MainDialog::setHourglass(bool on) {
    hourglass_ = on;
    SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

void MainDialog::setStatus(const std::string& text) { setItemText(busy_.hwnd(), ID_Label1, text); }

int MainDialog::progress() const {
    return static_cast<int>(SendDlgItemMessageW(busy_.hwnd(), ID_pbshow, PBM_GETPOS, 0, 0));
}

void MainDialog::setProgress(int value) { SendDlgItemMessageW(busy_.hwnd(), ID_pbshow, PBM_SETPOS, value, 0); }

void MainDialog::setFileLine(const std::string& text) { setItemText(busy_.hwnd(), ID_SkinLabel9, text); }

void MainDialog::setPercentLine(const std::string& text) { setItemText(busy_.hwnd(), ID_SkinLabel10, text); }

void MainDialog::yield() { runPendingMessages(); }

std::optional<std::string> MainDialog::askPassword() { return PasswordDialog::ask(hwnd()); }

std::string MainDialog::chooseFileToOpen(const std::string& title, const std::string& filter) {
    return SystemDialogs::openFile(hwnd(), title, filter);
}

std::string MainDialog::chooseFileToSave(const std::string& title, const std::string& filter,
                                         const std::string& proposedName) {
    return SystemDialogs::saveFile(hwnd(), title, filter, proposedName);
}

std::string MainDialog::chooseFolder(const std::string& title, const std::string& start) {
    return SystemDialogs::folder(hwnd(), title, start);
}

std::string MainDialog::chooseFromList(const std::string& title, const std::string& label,
                                       const std::vector<std::string>& choices, const std::string& current) {
    return ChoiceDialog::choose(hwnd(), title, label, choices, current);
}

void MainDialog::setCaption(const std::string& text) { setWindowText(hwnd(), text); }

void MainDialog::hideWindow() { ShowWindow(hwnd(), SW_HIDE); }

app::Tab MainDialog::currentTab() const {
    return SendDlgItemMessageW(hwnd(), ID_SSTab1, TCM_GETCURSEL, 0, 0) == 1 ? app::Tab::Restore : app::Tab::Backup;
}

void MainDialog::setApplyCaption(const std::string& text) { setItemText(hwnd(), ID_cmdApply, text); }

void MainDialog::setInstallationText(const std::string& text) {
    installationText_ = text;
    showStatusLine();
}

void MainDialog::setOutlookText(const std::string& text) {
    // One line on the status bar: the new Outlook's note after the name.
    outlookText_.clear();
    for (const char c : text)
        if (c == '\n')
            outlookText_ += ' ';
        else if (c != '\r')
            outlookText_ += c;
    showStatusLine();
}

void MainDialog::showStatusLine() {
    std::string text = outlookText_;
    if (!text.empty() && !installationText_.empty()) text += "  |  ";
    const std::wstring shown = wide(text + installationText_);
    HWND status = item(ID_lblInstallation);
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    // The whole text under the mouse when the bar cuts it.
    SendMessageW(status, SB_SETTIPTEXTW, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}

void MainDialog::setApplyEnabled(bool enabled) {
    applyAllowed_ = enabled;
    EnableWindow(item(ID_cmdApply), enabled ? TRUE : FALSE);
}

void MainDialog::addSourceProfile(const std::string& name) { addComboEntry(backup_.hwnd(), ID_cbSource, name); }
void MainDialog::addTargetProfile(const std::string& name) { addComboEntry(restore_.hwnd(), ID_cbTarget, name); }
void MainDialog::setSourceProfileText(const std::string& name) { setComboText(backup_.hwnd(), ID_cbSource, name); }
void MainDialog::setTargetProfileText(const std::string& name) { setComboText(restore_.hwnd(), ID_cbTarget, name); }
std::string MainDialog::sourceProfile() const { return itemText(backup_.hwnd(), ID_cbSource); }
std::string MainDialog::targetProfile() const { return itemText(restore_.hwnd(), ID_cbTarget); }

bool MainDialog::backupItemChecked(int i) const { return isChecked(backup_.hwnd(), ID_backupitem_0 + i); }
void MainDialog::setBackupItemChecked(int i, bool c) { setChecked(backup_.hwnd(), ID_backupitem_0 + i, c); }
bool MainDialog::backupItemEnabled(int i) const { return isEnabled(backup_.hwnd(), ID_backupitem_0 + i); }
void MainDialog::setBackupItemEnabled(int i, bool e) { setEnabled(backup_.hwnd(), ID_backupitem_0 + i, e); }
void MainDialog::setBackupItemTooltip(int i, const std::string& text) { backupTips_.set(ID_backupitem_0 + i, text); }
bool MainDialog::restoreItemChecked(int i) const { return isChecked(restore_.hwnd(), ID_restoreitem_0 + i); }
void MainDialog::setRestoreItemChecked(int i, bool c) { setChecked(restore_.hwnd(), ID_restoreitem_0 + i, c); }
bool MainDialog::restoreItemEnabled(int i) const { return isEnabled(restore_.hwnd(), ID_restoreitem_0 + i); }
void MainDialog::setRestoreItemEnabled(int i, bool e) { setEnabled(restore_.hwnd(), ID_restoreitem_0 + i, e); }

void MainDialog::setTargetFileText(const std::string& text) { setItemText(backup_.hwnd(), ID_txtTargetFile, text); }
// The box keeps line breaks as CR LF, as the core does.
std::string MainDialog::description() const { return itemText(backup_.hwnd(), ID_txtAttachInfo); }
bool MainDialog::protectChecked() const { return isChecked(backup_.hwnd(), ID_ifprotect); }
std::string MainDialog::password() const { return itemText(backup_.hwnd(), ID_txtPassword); }
std::string MainDialog::password2() const { return itemText(backup_.hwnd(), ID_txtPassword2); }
void MainDialog::setPasswordBoxes(bool enabled) { win32gui::setPasswordBoxes(backup_.hwnd(), enabled, true); }

void MainDialog::setSourceFileText(const std::string& text) { setItemText(restore_.hwnd(), ID_txtSourceFile, text); }
void MainDialog::setBackupFacts(const std::string& text) { setItemText(restore_.hwnd(), ID_txtPOBinfo, crlf(text)); }
void MainDialog::setBackupDescription(const std::string& text) {
    setItemText(restore_.hwnd(), ID_txtFileInfo, crlf(text));
}

// Reached when the shell could not show the page in the browser: Windows
// has no help window of the program's own, so it says where the page is.
void MainDialog::showHelpWindow(const std::string& helpFile) {
    SystemDialogs::message(hwnd(), "The help page cannot be shown: " + helpFile, app::Icon::Exclamation,
                           app::Buttons::Ok);
}

// Disc writing is the Linux component's: none is offered here.
bool MainDialog::writesDiscs() const { return false; }
void MainDialog::showDiscWindow(const std::string&, const std::string&) {}

void MainDialog::quit() {
    // A run that works finishes first; the window quits then.
    if (presenter_.running()) {
        quitPending_ = true;
        return;
    }
    quitNow();
}

}  // namespace qm::win32gui
