#include "win32gui/OptionsDialog.h"

#include <commctrl.h>

#include "win32gui/ItemFrames.h"
#include "win32gui/JobListDialog.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"

namespace qm::win32gui {
namespace {

int weekdayId(jobs::Weekday day) { return ID_chkMonday + static_cast<int>(day); }

}  // namespace

OptionsDialog::OptionsDialog(WindowsContext& context)
    : Dialog(IDD_Frmoption), context_(context), presenter_(context, *this) {}

bool OptionsDialog::onInit() {
    tips_.attach(hwnd());
    fillItems(hwnd(), ID_backupitem_0, tips_);
    presenter_.load();
    return true;
}

bool OptionsDialog::onCommand(int id, int code) {
    switch (id) {
        case ID_cbSource:
            if (code == CBN_SELCHANGE) presenter_.sourceProfileChanged();
            return true;
        case ID_cmdTargetFile:
            presenter_.browse();
            return true;
        case ID_ifprotect:
            if (code == BN_CLICKED) presenter_.protectClicked();
            return true;
        case ID_chkDaily:
            if (code == BN_CLICKED) presenter_.dailyClicked();
            return true;
        case ID_Command3:
            presenter_.addTask();
            return true;
        case ID_Command1:
            presenter_.openScheduler();
            return true;
        case ID_Command2:
        case IDCANCEL:
            close(IDCANCEL);
            return true;
        case IDOK:
            return true;  // Enter in a box adds no task by accident
        default:
            return false;
    }
}

app::Answer OptionsDialog::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return SystemDialogs::message(hwnd(), text, icon, buttons);
}

void OptionsDialog::addSourceProfile(const std::string& name) { addComboEntry(hwnd(), ID_cbSource, name); }
void OptionsDialog::setSourceProfileText(const std::string& name) { setComboText(hwnd(), ID_cbSource, name); }
std::string OptionsDialog::sourceProfile() const { return itemText(hwnd(), ID_cbSource); }
bool OptionsDialog::backupItemChecked(int i) const { return isChecked(hwnd(), ID_backupitem_0 + i); }
void OptionsDialog::setBackupItemChecked(int i, bool c) { setChecked(hwnd(), ID_backupitem_0 + i, c); }
void OptionsDialog::setBackupItemEnabled(int i, bool e) { setEnabled(hwnd(), ID_backupitem_0 + i, e); }
void OptionsDialog::setBackupItemTooltip(int i, const std::string& text) { tips_.set(ID_backupitem_0 + i, text); }
void OptionsDialog::setTargetFileText(const std::string& path) { setItemText(hwnd(), ID_txtTargetFile, path); }

std::optional<std::string> OptionsDialog::chooseTargetFile(const options::SaveDialog& dialog) {
    const std::string chosen = SystemDialogs::saveFile(hwnd(), dialog.title, dialog.filter, dialog.proposedName);
    if (chosen.empty()) return std::nullopt;
    return chosen;
}

bool OptionsDialog::protectChecked() const { return isChecked(hwnd(), ID_ifprotect); }
void OptionsDialog::setPasswordBoxesEnabled(bool enabled) { setPasswordBoxes(hwnd(), enabled, false); }
std::string OptionsDialog::password() const { return itemText(hwnd(), ID_txtPassword); }
std::string OptionsDialog::password2() const { return itemText(hwnd(), ID_txtPassword2); }
void OptionsDialog::setPassword(const std::string& text) { setItemText(hwnd(), ID_txtPassword, text); }
void OptionsDialog::setPassword2(const std::string& text) { setItemText(hwnd(), ID_txtPassword2, text); }
void OptionsDialog::addStartTime(const std::string& text) { addComboEntry(hwnd(), ID_cmbStartTime, text); }
void OptionsDialog::setStartTimeText(const std::string& text) { setComboText(hwnd(), ID_cmbStartTime, text); }
std::string OptionsDialog::startTimeText() const { return itemText(hwnd(), ID_cmbStartTime); }
bool OptionsDialog::weekdayChecked(jobs::Weekday day) const { return isChecked(hwnd(), weekdayId(day)); }
void OptionsDialog::setWeekdayChecked(jobs::Weekday day, bool checked) { setChecked(hwnd(), weekdayId(day), checked); }
bool OptionsDialog::dailyChecked() const { return isChecked(hwnd(), ID_chkDaily); }

void OptionsDialog::setKeepRange(options::KeepBox box, int lowest, int highest) {
    SendDlgItemMessageA(hwnd(), ID_udKeep_0 + static_cast<int>(box), UDM_SETRANGE32, static_cast<WPARAM>(lowest),
                        static_cast<LPARAM>(highest));
}
void OptionsDialog::setKeepCount(options::KeepBox box, int count) {
    SendDlgItemMessageA(hwnd(), ID_udKeep_0 + static_cast<int>(box), UDM_SETPOS32, 0, static_cast<LPARAM>(count));
}
int OptionsDialog::keepCount(options::KeepBox box) const {
    // What the box holds (typed or set by its arrows); -1 when it holds no
    // number, which the job then refuses.
    BOOL read = FALSE;
    const UINT count = GetDlgItemInt(hwnd(), ID_txtKeep_0 + static_cast<int>(box), &read, FALSE);
    return read ? static_cast<int>(count) : -1;
}

void OptionsDialog::showScheduledJobs() {
    JobListDialog list(context_);
    list.showModal(hwnd());
}

}  // namespace qm::win32gui
