// The restore run and the action button that starts either run.
#include <vector>

#include "items/Items.h"
#include "runs/RunSupport.h"
#include "runs/Runs.h"
#include "runs/Texts.h"

namespace qm::runs {

using namespace detail;
using platform::Buttons;
using platform::Icon;

namespace {

struct RestoreRow {
    std::vector<int> items;  // runs when any of these boxes is checked
    int position;            // and this "BackupItem" position is "1"
    const char* status;
    const char* label;  // nullptr: no summary line
    const char* tabs;
    std::vector<int> advances;  // added to the bar after the row, one by one
    bool (*run)(items::Items&, const std::string& profile);
};

const std::vector<RestoreRow>& restoreRows() {
    static const std::vector<RestoreRow> rows = {
        {{0, 1, 4}, 1, "Copying Config...", nullptr, "", {0},
         [](items::Items& it, const std::string& p) { return it.RestoreConfig(p); }},
        {{0}, 2, "Copying Data Files (Pst Files)...", "Restore Personal Folders", "\t\t", {10},
         [](items::Items& it, const std::string& p) { return it.RestoreDatas(p); }},
        {{0}, 3, "Copying Rules...", nullptr, "", {10, 15},
         [](items::Items& it, const std::string& p) { return it.RestoreRules(p); }},
        {{1}, 4, "Copying Accounts...", "Restore Accounts Settings", "\t\t", {10},
         [](items::Items& it, const std::string& p) { return it.RestoreAccounts(p); }},
        {{2}, 5, "Copying Signatures...", "Restore Signatures", "\t\t\t", {10},
         [](items::Items& it, const std::string&) { return it.RestoreSignatures(); }},
        {{3}, 6, "Copying Stationeries...", "Restore Stationeries", "\t\t\t", {5},
         [](items::Items& it, const std::string&) { return it.RestoreStationery(); }},
        {{4}, 7, "Copying Address Book...", "Restore Personal Address Book", "\t\t", {5},
         [](items::Items& it, const std::string& p) { return it.RestorePab(p); }},
        {{5}, 8, "Copying Options...", "Restore Options Settings", "\t\t", {5},
         [](items::Items& it, const std::string&) { return it.RestoreConfigsetting(); }},
        {{6}, 9, "Copying Templates...", "Restore Templates", "\t\t\t", {5},
         [](items::Items& it, const std::string&) { return it.RestoreTemplates(); }},
        {{7}, 10, "Copying Setting...", "Restore Preferences", "\t\t\t", {},
         [](items::Items& it, const std::string&) { return it.RestoreSetting(); }},
    };
    return rows;
}

// Files a step extracted into the work folder and left there.
class Leftovers {
public:
    explicit Leftovers(app::Session& s) : s_(s) { s_.files.listFiles(s_.state.WorkFolder, before_); }

    void remove() {
        std::vector<std::string> now;
        if (!s_.files.listFiles(s_.state.WorkFolder, now)) return;
        for (const auto& name : now) {
            bool old = false;
            for (const auto& kept : before_)
                if (equalsIgnoreCase(kept, name)) old = true;
            if (!old) removeFile(s_.files, joinPath(s_.state.WorkFolder, name));
        }
    }

private:
    app::Session& s_;
    std::vector<std::string> before_;
};

}  // namespace

void RunRestore(app::Session& s) {
    auto& view = s.view;
    auto& st = s.state;

    if (st.NoArchiveLoaded) {
        view.showMessage(text::kNoBackupLoaded, Icon::Critical, Buttons::Ok);
        return;
    }
    Selection checked{};
    for (int i = 0; i < 8; ++i) checked[i] = view.restoreItemChecked(i);
    if (!anySelected(checked)) {
        view.showMessage(text::kSelectOne, Icon::Exclamation, Buttons::Ok);
        return;
    }
    BusyGuard busy(s);
    if (!busy.active()) return;

    view.setHourglass(true);
    view.showBusy(true);
    advance(view, 10);
    view.yield();

    items::Items items(s);
    Leftovers leftovers(s);
    std::string summary;
    for (const auto& row : restoreRows()) {
        bool wanted = false;
        for (int i : row.items) wanted = wanted || checked[i];
        const bool recorded = st.ItemFlags.size() >= static_cast<size_t>(row.position) &&
                              st.ItemFlags[row.position - 1] == '1';
        if (wanted && recorded) {
            view.setStatus(row.status);
            // The target box is read anew for every step.
            const bool ok = row.run(items, view.targetProfile());
            leftovers.remove();
            if (row.label)
                summary += std::string("\r\n") + row.label + row.tabs + (ok ? text::kSucceeded : text::kFail) + "\t";
        }
        for (int amount : row.advances) advance(view, amount);
    }

    view.setHourglass(false);
    view.setProgress(view.progressMaximum());
    view.setStatus(text::kOperationComplete);
    view.showBusy(false);
    view.setProgress(0);

    view.showMessage(std::string(text::kRestoreCompleted) + "\t\t\t\r\n" + summary, Icon::Information, Buttons::Ok);
}

void ApplyPressed(app::Session& s) {
    if (s.view.currentTab() == app::Tab::Backup) {
        RunBackup(s);
        return;
    }
    if (s.view.showMessage(text::kRestoreConfirm, Icon::Information, Buttons::OkCancel) == platform::Answer::Ok)
        RunRestore(s);
}

}  // namespace qm::runs
