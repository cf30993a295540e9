// The interactive backup: "Backup Now" on the backup tab or in the menu.
#include "items/Items.h"
#include "platform/FileSystem.h"
#include "runs/RunSupport.h"
#include "runs/Runs.h"
#include "runs/Texts.h"

namespace qm::runs {

using namespace detail;
using platform::Buttons;
using platform::Icon;

namespace {

// Enough rounds of the event loop for a write-done event that comes late;
// WriteArchive has finished the file by the time it returns, so the wait
// never needs more.
constexpr int kWriteWaitRounds = 100;

bool checksPass(app::Session& s, Selection& selection) {
    auto& view = s.view;
    if (s.state.TargetArchivePath.empty()) {
        view.showMessage(text::kInvalidTarget, Icon::Exclamation, Buttons::Ok);
        return false;
    }
    for (int i = 0; i < 8; ++i) selection[i] = view.backupItemChecked(i);
    if (!anySelected(selection)) {
        view.showMessage(text::kSelectOne, Icon::Exclamation, Buttons::Ok);
        return false;
    }
    if (view.protectChecked()) {
        const std::string first = view.password();
        const std::string second = view.password2();
        if (first.empty() && second.empty()) {
            view.showMessage(text::kEnterPassword, Icon::Critical, Buttons::Ok);
            return false;
        }
        if (first != second) {
            view.showMessage(text::kPasswordsDiffer, Icon::Critical, Buttons::Ok);
            return false;
        }
    }
    return true;
}

}  // namespace

void RunBackup(app::Session& s) {
    Selection selection{};
    if (!checksPass(s, selection)) return;
    BusyGuard busy(s);
    if (!busy.active()) return;

    auto& view = s.view;
    auto& st = s.state;
    const bool protect = view.protectChecked();

    // An archive already at the target stays untouched until the new one
    // is complete and replaces it.
    view.setHourglass(true);
    st.BackupPassword = view.password();
    view.showBusy(true);
    view.yield();

    const std::string profile = view.sourceProfile();
    const std::string info = infoFilePath(s);
    st.ConfigExportFile.clear();
    st.AccountsExportFile.clear();
    st.OptionsExportFile.clear();
    removeFile(s.files, info);
    writeHeader(s, profile, view.description());
    advance(view, 10);

    st.ArchiveWritten = false;
    const bool opened = s.zip1.NewArchive(s.files.fromUserPath(st.TargetArchivePath));

    items::Items items(s);
    std::string result;
    std::array<bool, 10> ran{};
    for (size_t r = 0; r < kBackupRows.size(); ++r) {
        const auto& row = kBackupRows[r];
        if (rowSelected(row, selection)) {
            view.setStatus(row.status);
            result += row.run(items, profile) ? '1' : '0';
            ran[r] = true;
            advance(view, row.step + row.stepWhenRan);
        } else {
            result += '0';
            advance(view, row.step);
        }
    }

    s.SaveINI("BackupItem", result);
    s.files.setAttributes(info, platform::FileAttribute::Normal);
    const bool infoQueued = opened && s.zip1.AddFileEntry(info, 1) == 1;

    if (protect) {
        s.zip1.setArchiveWritePassword(st.BackupPassword);
        s.zip1.setProtectArchive(1);
    } else {
        s.zip1.setProtectArchive(0);
    }

    // An archive without its information file could not be opened again,
    // so it is not written at all: the previous backup then stays.
    bool written = false;
    if (infoQueued) {
        WriteWatch watch(s, result);
        written = s.zip1.WriteArchive();
        watch.applyDropped(s.zip1.droppedEntries());
        if (watch.infoFileLost()) written = false;
    }
    view.yield();
    for (int round = 0; written && !st.ArchiveWritten && round < kWriteWaitRounds; ++round) view.yield();
    const std::string writeError = s.zip1.lastError();

    s.zip1.ResetArchive();
    removeBackupFiles(s);

    view.setProgress(view.progressMaximum());
    view.setHourglass(false);
    st.ArchiveWritten = false;
    view.setFileLine("");
    view.setPercentLine("");
    view.showBusy(false);
    view.setProgress(view.progressMinimum());

    std::string report;
    for (size_t r = 0; r < kBackupRows.size(); ++r) {
        const auto& row = kBackupRows[r];
        if (!ran[r] || row.label == nullptr) continue;
        const bool ok = written && result[r] == '1';
        report += std::string("\r\n") + row.label + row.separator + (ok ? text::kSucceeded : text::kFail) + "\t";
    }

    if (!written) {
        // Nothing was backed up: say so, and there is nothing to put on a disc.
        std::string message = std::string(text::kBackupFailed) + "\t\t\t\r\n" + report;
        if (!writeError.empty()) message += "\r\n\r\n" + writeError;
        view.showMessage(message, Icon::Critical, Buttons::Ok);
        return;
    }

    view.showMessage(std::string(text::kBackupCompleted) + "\t\t\t\r\n" + report, Icon::Information, Buttons::Ok);
    if (view.showMessage(text::kDiscOffer, Icon::Information, Buttons::OkCancel) == platform::Answer::Ok) {
        st.DiscFileTitle = bareName(st.TargetArchivePath);
        st.DiscFilePath = st.TargetArchivePath;
        view.showDiscWindow(st.DiscFileTitle, st.DiscFilePath);
        st.DiscFileTitle.clear();
        st.DiscFilePath.clear();
    }
}

}  // namespace qm::runs
