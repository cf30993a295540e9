#include "win32gui/PasswordDialog.h"

#include <deque>

#include "win32gui/Controls.h"
#include "win32gui/Resources.h"

namespace qm::win32gui {
namespace {

std::deque<std::optional<std::string>>& queued() {
    static std::deque<std::optional<std::string>> answers;
    return answers;
}

}  // namespace

PasswordDialog::PasswordDialog() : Dialog(IDD_frmPwd) {}

std::optional<std::string> PasswordDialog::ask(HWND owner) {
    if (!queued().empty()) {
        std::optional<std::string> answer = queued().front();
        queued().pop_front();
        return answer;
    }
    PasswordDialog dialog;
    if (dialog.showModal(owner) != IDOK) return std::nullopt;
    return dialog.typed_;
}

void PasswordDialog::queueAnswer(std::optional<std::string> answer) { queued().push_back(std::move(answer)); }

void PasswordDialog::clearQueue() { queued().clear(); }

bool PasswordDialog::onInit() {
    SetFocus(item(ID_txtPassword));
    return false;
}

bool PasswordDialog::onCommand(int id, int /*code*/) {
    switch (id) {
        case ID_cmdOK:  // Enter in the box is OK too
            typed_ = itemText(hwnd(), ID_txtPassword);
            close(IDOK);
            return true;
        case ID_cmdExit:
            close(IDCANCEL);
            return true;
        default:
            return false;
    }
}

}  // namespace qm::win32gui
