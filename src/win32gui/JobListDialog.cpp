#include "win32gui/JobListDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "win32gui/Controls.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"
#include "win32gui/Text.h"

namespace qm::win32gui {
namespace {

constexpr int kColumns = 6;
const wchar_t* const kHeaders[kColumns] = {L"Task", L"Time", L"Days", L"Profile", L"Items", L"Backup file"};
constexpr int kItemsColumn = 4;

}  // namespace

JobListDialog::JobListDialog(WindowsContext& context) : Dialog(IDD_frmScheduler), presenter_(context, *this) {}

bool JobListDialog::onInit() {
    HWND list = item(ID_lvwJobs);
    // A cut list or path shows whole under the mouse.
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_INFOTIP);
    for (int c = 0; c < kColumns; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(kHeaders[c]);
        column.cx = dialogUnitsX(hwnd(), 40);
        column.iSubItem = c;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
    presenter_.fill();
    return true;
}

bool JobListDialog::onCommand(int id, int /*code*/) {
    switch (id) {
        case ID_cmdRemove: {
            const auto row = static_cast<int>(
                SendDlgItemMessageW(hwnd(), ID_lvwJobs, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
            if (row >= 0 && static_cast<std::size_t>(row) < rows_.size())
                presenter_.remove(rows_[static_cast<std::size_t>(row)].jobNumber);
            return true;
        }
        case ID_cmdClose:
        case IDCANCEL:
            close(IDOK);
            return true;
        case IDOK:
            return true;
        default:
            return false;
    }
}

app::Answer JobListDialog::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return SystemDialogs::message(hwnd(), text, icon, buttons);
}

void JobListDialog::setJobRows(const std::vector<jobs::JobRow>& rows) {
    rows_ = rows;
    HWND list = item(ID_lvwJobs);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& job = rows[r];
        const std::string cells[kColumns] = {
            std::to_string(job.jobNumber), job.startTime, job.days, job.profile, job.items, job.targetFile};
        for (int c = 0; c < kColumns; ++c) {
            std::wstring text = wide(cells[c]);
            LVITEMW cell{};
            cell.mask = LVIF_TEXT;
            cell.iItem = static_cast<int>(r);
            cell.iSubItem = c;
            cell.pszText = text.data();
            SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cell));
        }
    }
    // Each column as wide as its widest cell or its header.
    const int padding = dialogUnitsX(hwnd(), 12);
    int used = 0;
    for (int c = 0; c < kColumns; ++c) {
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), LVSCW_AUTOSIZE);
        auto width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
        const auto header =
            static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(kHeaders[c]))) +
            padding;
        width = std::max(width, header);
        // The backup file stays in view beside a long list of items.
        if (c == kItemsColumn) width = std::min(width, dialogUnitsX(hwnd(), 160));
        // The last one takes what is left.
        if (c == kColumns - 1) {
            RECT area{};
            GetClientRect(list, &area);
            width = std::max(width, static_cast<int>(area.right) - used);
        }
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), width);
        used += width;
    }
}

}  // namespace qm::win32gui
