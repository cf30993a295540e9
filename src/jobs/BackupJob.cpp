#include "jobs/BackupJob.h"

#include "app/Environment.h"
#include "archive/InfoFile.h"
#include "base/WinPath.h"
#include "items/Items.h"
#include "jobs/ArchiveWatch.h"
#include "jobs/BackupFiles.h"
#include "jobs/RunLock.h"
#include "jobs/Texts.h"
#include "jobs/Versions.h"
#include "platform/FileOps.h"

namespace qm::jobs {

using detail::removeBackupFiles;

namespace {

std::string withReason(const std::string& what, const std::string& reason) {
    return reason.empty() ? what : what + ": " + reason;
}

}  // namespace

BackupReport RunBackupJob(app::Session& s, const BackupRequest& request, JobEvents& events) {
    BackupReport report;
    report.archivePath = request.archivePath;
    report.available = request.available;
    auto& st = s.state;
    archive::Zip zip1(s.files);
    zip1.setArchiveWorkFolder(st.WorkFolder);
    detail::ArchiveWatch watch(s, zip1, events);
    const bool strict = request.unattended;
    const std::string& profile = request.profile;
    // Ends a failed run: nothing of it stays behind, and an archive that was
    // already at the target is left as it was.
    std::string archiveError;
    auto fail = [&](const std::string& why) {
        report.archiveError = archiveError;
        zip1.ResetArchive();
        removeBackupFiles(s);
        report.written = false;
        report.failure = why;
        report.notices = s.reg.takeNotices();
        return report;
    };

    // One run at a time on an installation.
    std::string locked;
    const auto lock = LockInstallation(s, request.kind, events, locked);
    if (!lock) return fail(locked);

    // A scheduled backup must not skip a night because Outlook was left
    // open: it goes on, and says so.
    report.inUseWarning = s.reg.registry().liveWarning();
    if (!report.inUseWarning.empty()) events.installationInUse(report.inUseWarning);

    const std::string& target = request.archivePath;
    if (st.InfoFilePath.empty()) st.InfoFilePath = base::joinPath(st.WorkFolder, archive::kInfoFileName, s.leads());
    const std::string info = st.InfoFilePath;
    st.ConfigExportFile.clear();
    st.AccountsExportFile.clear();
    st.OptionsExportFile.clear();
    st.MoreOptionsExportFiles.clear();
    if (!platform::removeFile(s.files, info) && strict)
        return fail("cannot remove the old information file " + info);
    if (!detail::writeHeader(s, profile, request.description, strict) && strict)
        return fail("cannot write the information file " + info);
    events.headerWritten();

    auto cancel = [&] {
        report.cancelled = true;
        return fail(text::kBackupCancelled);
    };
    // Nothing could be stored: the parts are not run for nothing.
    if (!zip1.NewArchive(target, archiveError))
        return fail(withReason("cannot start the backup file " + target, archiveError));

    const items::RecordedValues nothingRecorded{};
    items::Items items(s, zip1, nothingRecorded);
    std::string result;
    std::vector<items::DataFileSeen> dataFiles;
    for (const auto& part : items::parts()) {
        if (events.cancelled()) return cancel();
        PartResult& r = report.parts[positionOf(part.part) - 1];
        r.ran = runs(part, request.items);
        if (r.ran) {
            events.partStarting(part.part);
            items::PartOutcome outcome = items.backup(part, profile);
            for (const auto& warning : outcome.warnings) events.fileWarning(warning);
            report.notes.insert(report.notes.end(), outcome.notes.begin(), outcome.notes.end());
            r.ran = !outcome.absent;
            r.ok = outcome.ok;
            // A failed part names the files it could not store and why.
            r.reason = outcome.reason;
            report.warnings.insert(report.warnings.end(), outcome.warnings.begin(), outcome.warnings.end());
            dataFiles.insert(dataFiles.end(), outcome.dataFiles.begin(), outcome.dataFiles.end());
        }
        result += r.ok ? '1' : '0';
        events.partFinished(part.part, r.ran);
        events.working();
    }
    report.itemResult = result;
    if (!report.warnings.empty()) {
        std::string& reason = report.parts[positionOf(items::Part::Datas) - 1].reason;
        for (const auto& w : report.warnings) reason += (reason.empty() ? "" : "; ") + w;
    }

    // An archive of nothing must not replace the one already there, in any
    // kind of run: the earlier backup stays, and the run says why.
    if (result.find('1') == std::string::npos)
        return fail(!items::anySelected(request.items) ? std::string("the selection names no item")
                    : profile.empty()
                        ? std::string(text::kNoneBackedUp)
                        : std::string(text::kNoneBackedUpOfProfile) + profile + text::kCouldNotBeBackedUp);
    if (events.cancelled()) return cancel();

    // Without its item line the archive is no backup that opens again, in
    // either kind of run: it must not replace the one already there.
    if (!s.SaveINI("BackupItem", result) || s.GetINI("BackupItem") != result)
        return fail("cannot write the information file " + info);
    // An information file a restore would refuse to read makes no backup.
    if (const platform::FileInfo made = s.files.stat(info); made.size > archive::kMaxInfoFileBytes)
        return fail("the information file would hold " + std::to_string(made.size) +
                    " bytes, more than a restore reads (" + std::to_string(archive::kMaxInfoFileBytes) + ")");
    s.files.setAttributes(info, platform::FileAttribute::Normal);
    // An archive without its information file could not be opened again, so
    // it is not written at all: the previous backup then stays.
    const bool infoQueued = zip1.AddFileEntry(info, archiveError);
    if (!infoQueued && strict) return fail(withReason("cannot add the information file", archiveError));
    zip1.setArchiveWritePassword(request.password);

    // The earlier backup makes room as a version when the policy keeps
    // more than one, or when a data file looks damaged: then it is the last
    // good one. Its name and the new one's carry their backup times.
    detail::VersionKeeper versions(s, target, request.password, request.keep);
    versions.lookAtDataFiles(dataFiles, report.parts[positionOf(items::Part::Datas) - 1].ran);
    const std::optional<BackupStamp> newTime = ParseBackupTime(s.GetINI("BackupTime"));
    if (versions.keepsEarlier() && !newTime && s.files.stat(target).exists)
        return fail("the new backup's time cannot be read, so the earlier backup cannot be kept beside it");
    zip1.setBeforeReplace([&] { return versions.beforeReplace(newTime.value_or(BackupStamp{})); });
    auto tellVersions = [&] {
        report.keptBecause = versions.held();
        report.versionNotes = versions.held();
        report.versionNotes.insert(report.versionNotes.end(), versions.notes().begin(), versions.notes().end());
        report.versionFailure = versions.failure();
        report.writtenAs = versions.placedAt();
    };

    bool written = false;
    if (infoQueued) {
        watch.watchResult(result);
        written = zip1.WriteArchive(archiveError);
        watch.applyDropped(zip1.droppedEntries());
        if (watch.infoFileLost()) written = false;
    }
    report.itemResult = result;
    for (std::size_t i = 0; i < report.parts.size(); ++i) {
        PartResult& r = report.parts[i];
        if (r.ok && result[i] != '1') {
            r.ok = false;
            r.reason = "a file changed or could not be read while the archive was written";
        }
    }
    if (!written) {
        versions.undoBeforeReplace();
        tellVersions();
    }
    if (!written && events.cancelled()) return cancel();
    if (watch.infoFileLost()) return fail("the information file could not be stored");
    if (!written) return fail(withReason("cannot write the backup file " + target, archiveError));

    if (newTime) versions.removeOldVersions(*newTime);
    tellVersions();
    if (!report.inUseWarning.empty()) events.installationInUse(report.inUseWarning);
    zip1.ResetArchive();
    removeBackupFiles(s);
    report.written = true;
    report.notices = s.reg.takeNotices();
    return report;
}

}  // namespace qm::jobs
