#include "win32gui/ChoiceDialog.h"

#include "win32gui/Controls.h"
#include "win32gui/Resources.h"
#include "win32gui/Text.h"

namespace qm::win32gui {

ChoiceDialog::ChoiceDialog(std::string title, std::string label, std::vector<std::string> choices, std::string current)
    : Dialog(IDD_frmChoose),
      title_(std::move(title)),
      label_(std::move(label)),
      choices_(std::move(choices)),
      chosen_(std::move(current)) {}

std::string ChoiceDialog::choose(HWND owner, const std::string& title, const std::string& label,
                                 const std::vector<std::string>& choices, const std::string& current) {
    ChoiceDialog dialog(title, label, choices, current);
    return dialog.showModal(owner) == IDOK ? dialog.chosen_ : std::string();
}

bool ChoiceDialog::onInit() {
    setWindowText(hwnd(), title_);
    setItemText(hwnd(), ID_chooseLabel, label_);
    HWND list = item(ID_lstChoices);
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        const std::wstring text = wide(choices_[i]);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (choices_[i] == chosen_) SendMessageW(list, LB_SETCURSEL, i, 0);
    }
    SetFocus(list);
    return false;
}

bool ChoiceDialog::onCommand(int id, int code) {
    const auto selected = [this] {
        const auto row = SendDlgItemMessageW(hwnd(), ID_lstChoices, LB_GETCURSEL, 0, 0);
        return row >= 0 && static_cast<std::size_t>(row) < choices_.size() ? choices_[static_cast<std::size_t>(row)]
                                                                           : std::string();
    };
    switch (id) {
        case ID_lstChoices:
            // A double click chooses, as OK does.
            if (code != LBN_DBLCLK) return false;
            [[fallthrough]];
        case ID_cmdOK:
            chosen_ = selected();
            if (!chosen_.empty()) close(IDOK);
            return true;
        case ID_cmdExit:
            close(IDCANCEL);
            return true;
        default:
            return false;
    }
}

}  // namespace qm::win32gui
