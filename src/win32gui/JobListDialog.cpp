#include "win32gui/JobListDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "jobs/Texts.h"
#include "win32gui/Controls.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"
#include "win32gui/Text.h"

namespace qm::win32gui {
namespace {

enum Column { kTask, kTime, kDays, kProfile, kItems, kKeep, kLastRun, kResult, kFile, kColumns };
const wchar_t* const kHeaders[kColumns] = {L"Task", L"Time",     L"Days",   L"Profile",    L"Items",
                                           L"Keep", L"Last run", L"Result", L"Backup file"};
// The timer that looks whether a job run now has ended.
constexpr UINT_PTR kPollTimer = 1;

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

std::uint32_t JobListDialog::selectedJob() const {
    const auto row = static_cast<int>(
        SendDlgItemMessageW(hwnd(), ID_lvwJobs, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return 0;
    return rows_[static_cast<std::size_t>(row)].jobNumber;
}

bool JobListDialog::onCommand(int id, int /*code*/) {
    switch (id) {
        case ID_cmdRemove:
            if (const auto job = selectedJob()) presenter_.remove(job);
            return true;
        case ID_cmdRunNow:
            if (const auto job = selectedJob()) presenter_.runNow(job);
            return true;
        case ID_cmdClose:
        case IDCANCEL:
            KillTimer(hwnd(), kPollTimer);
            close(IDOK);
            return true;
        case IDOK:
            return true;
        default:
            return false;
    }
}

bool JobListDialog::onNotify(NMHDR& header, LRESULT& /*result*/) {
    if (header.idFrom != ID_lvwJobs || header.code != static_cast<UINT>(LVN_GETINFOTIPW)) return false;
    // What failed in the last run, under the mouse.
    auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
    if (tip.iItem < 0 || static_cast<std::size_t>(tip.iItem) >= rows_.size() || tip.cchTextMax <= 0) return false;
    const jobs::JobRow& job = rows_[static_cast<std::size_t>(tip.iItem)];
    if (job.lastMessage.empty()) return false;
    const std::wstring text = wide(job.lastResult + ": " + job.lastMessage);
    lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
    return true;
}

bool JobListDialog::onMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, INT_PTR& result) {
    if (message != WM_TIMER || wParam != kPollTimer) return false;
    presenter_.poll();
    result = TRUE;
    return true;
}

void JobListDialog::pollEvery(int milliseconds) {
    if (milliseconds <= 0)
        KillTimer(hwnd(), kPollTimer);
    else
        SetTimer(hwnd(), kPollTimer, static_cast<UINT>(milliseconds), nullptr);
}

app::Answer JobListDialog::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return SystemDialogs::message(hwnd(), text, icon, buttons);
}

void JobListDialog::setJobRows(const std::vector<jobs::JobRow>& rows) {
    const std::uint32_t selected = selectedJob();
    rows_ = rows;
    HWND list = item(ID_lvwJobs);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& job = rows[r];
        const std::string cells[kColumns] = {std::to_string(job.jobNumber),
                                             job.startTime,
                                             job.days,
                                             job.profile,
                                             job.items,
                                             job.keep,
                                             job.lastRun.empty() ? jobs::text::kNeverRan : job.lastRun,
                                             job.lastResult,
                                             job.targetFile};
        for (int c = 0; c < kColumns; ++c) {
            std::wstring text = wide(cells[c]);
            LVITEMW cell{};
            cell.mask = LVIF_TEXT;
            cell.iItem = static_cast<int>(r);
            cell.iSubItem = c;
            cell.pszText = text.data();
            SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cell));
        }
        // The list is filled anew as a job run now ends: the same job stays
        // selected.
        if (job.jobNumber == selected) {
            LVITEMW state{};
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, r, reinterpret_cast<LPARAM>(&state));
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
        if (c == kItems) width = std::min(width, dialogUnitsX(hwnd(), 160));
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
