// The unattended backup a scheduled job starts, and the main window
// activation that runs it.
#include "app/Startup.h"
#include "items/Items.h"
#include "platform/FileSystem.h"
#include "runs/RunSupport.h"
#include "runs/Runs.h"
#include "runs/Texts.h"

namespace qm::runs {

using namespace detail;

namespace {

// Ends a failed run: nothing of it stays behind, and an archive that was
// already at the target is left as it was.
bool fail(app::Session& s, AutomaticReport& report, const std::string& why) {
    s.zip1.ResetArchive();
    removeBackupFiles(s);
    report.written = false;
    report.failure = why;
    return false;
}

std::string withReason(const std::string& what, const std::string& reason) {
    return reason.empty() ? what : what + ": " + reason;
}

}  // namespace

bool RunAutomaticBackup(app::Session& s, const std::string& profile, const std::string& selectionText,
                        const std::string& password, const std::string& archivePath) {
    AutomaticReport report;
    return RunAutomaticBackup(s, profile, selectionText, password, archivePath, report);
}

bool RunAutomaticBackup(app::Session& s, const std::string& profile, const std::string& selectionText,
                        const std::string& password, const std::string& archivePath, AutomaticReport& report) {
    report = AutomaticReport{};
    if (profile.empty() || selectionText.empty() || archivePath.empty()) {
        report.failure = "the command line names no profile, no items or no backup file";
        return false;
    }
    BusyGuard busy(s);
    if (!busy.active()) {
        report.failure = "another run is working";
        return false;
    }
    auto& st = s.state;

    // The archive already at the target is replaced only by a complete new one.
    st.TargetArchivePath = s.files.fromUserPath(archivePath);
    s.view.yield();
    if (st.TargetArchivePath.empty())
        return fail(s, report, "the backup file path " + archivePath + " cannot be used");

    const std::string info = infoFilePath(s);
    st.ConfigExportFile.clear();
    st.AccountsExportFile.clear();
    st.OptionsExportFile.clear();
    if (!removeFile(s.files, info)) return fail(s, report, "cannot remove the old information file " + info);
    if (!writeHeader(s, profile, text::kAutomaticBackup))
        return fail(s, report, "cannot write the information file " + info);
    if (!s.zip1.NewArchive(st.TargetArchivePath))
        return fail(s, report, withReason("cannot start the backup file " + st.TargetArchivePath, s.zip1.lastError()));

    // Positions 1..8 of the selection text are the items 0..7; the rest is ignored.
    Selection selection{};
    for (size_t i = 0; i < selection.size() && i < selectionText.size(); ++i) selection[i] = selectionText[i] == '1';

    items::Items items(s);
    std::string result;
    for (const auto& row : kBackupRows) {
        const bool selected = rowSelected(row, selection);
        report.ranParts += selected ? '1' : '0';
        result += selected ? (row.run(items, profile) ? '1' : '0') : '0';
    }

    report.itemResult = result;
    // Nobody reads this run's report: an archive holding none of what was
    // asked for must not pass for a backup, nor replace the last good one.
    if (result.find('1') == std::string::npos)
        return fail(s, report, report.ranParts.find('1') == std::string::npos
                                   ? "the selection " + selectionText + " names no item"
                                   : "none of the selected items of profile " + profile + " could be backed up");

    if (!s.SaveINI("BackupItem", result)) return fail(s, report, "cannot write the information file " + info);
    s.files.setAttributes(info, platform::FileAttribute::Normal);
    if (s.zip1.AddFileEntry(info, 1) != 1)
        return fail(s, report, withReason("cannot add the information file", s.zip1.lastError()));

    if (!password.empty()) {
        s.zip1.setProtectArchive(-1);
        s.zip1.SetArchivePassword(password);
    } else {
        s.zip1.setProtectArchive(0);
    }

    bool written = false;
    bool infoLost = false;
    {
        WriteWatch watch(s, result);
        written = s.zip1.WriteArchive();
        watch.applyDropped(s.zip1.droppedEntries());
        infoLost = watch.infoFileLost();
    }
    report.itemResult = result;
    if (infoLost) return fail(s, report, "the information file could not be stored");
    if (!written)
        return fail(s, report, withReason("cannot write the backup file " + st.TargetArchivePath, s.zip1.lastError()));

    s.zip1.ResetArchive();
    removeBackupFiles(s);
    report.written = true;
    return true;
}

bool MainWindowActivated(app::Session& s, AutomaticReport* report) {
    AutomaticReport local;
    AutomaticReport& out = report ? *report : local;
    out = AutomaticReport{};
    if (s.state.CommandLine.empty()) return false;
    bool ran = false;
    const bool acted = app::MainWindowActivated(s, [&](const app::AutomaticSettings& settings) {
        ran = true;
        RunAutomaticBackup(s, settings.profile, settings.selection, settings.password, settings.archivePath, out);
    });
    if (!acted) return false;  // this process has had its one run
    if (!ran)
        out.failure = "the command line does not give sf=<profile>xm=<items>ps=<password>bf=<backup file>";
    return out.written;
}

}  // namespace qm::runs
