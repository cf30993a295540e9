#include "jobs/OpenBackup.h"

#include "archive/InfoFile.h"
#include "base/WinPath.h"
#include "jobs/ArchiveWatch.h"
#include "jobs/RunLock.h"
#include "platform/FileOps.h"

namespace qm::jobs {

std::string OpenedBackup::value(const std::string& key) const {
    for (const auto& [k, v] : lines)
        if (codePage ? codePage->equalsIgnoreCase(k, key) : k == key) return v;
    return {};
}

items::ItemSelection OpenedBackup::heldItems() const { return items::restorableItems(flags); }

bool IsBackupProtected(app::Session& s, const std::string& path) {
    archive::Zip probe(s.files);
    return probe.IsArchiveProtected(path);
}

OpenedBackup OpenBackupJob(app::Session& s, const std::string& path, const std::string& password, JobEvents& events) {
    OpenedBackup opened;
    opened.codePage = &s.codePage;
    auto zip = std::make_shared<archive::Zip>(s.files);
    zip->setArchiveWorkFolder(s.state.WorkFolder);
    detail::ArchiveWatch watch(s, *zip, events);

    opened.isProtected = zip->IsArchiveProtected(path);
    opened.isArchive = zip->OpenArchive(path, opened.archiveError);
    if (opened.isProtected) {
        zip->setArchivePassword(password);
        if (!zip->CheckArchivePassword(opened.archiveError)) {
            opened.outcome = OpenOutcome::WrongPassword;
            return opened;
        }
    }
    opened.entries = zip->entryNames();
    if (opened.isArchive) opened.archive = zip;

    // Only what this archive holds may be read: an information file left
    // from an earlier opening must not stand in for a missing one.
    const std::string info = base::joinPath(s.state.WorkFolder, archive::kInfoFileName, s.leads());
    platform::removeFile(s.files, info);
    const archive::ZipEntry entry = zip->FindEntry(archive::kInfoFileName);
    std::string bytes;
    const bool extracted =
        entry.valid() && entry.ExtractEntryTo(s.state.WorkFolder, opened.infoFileError, archive::kMaxInfoFileBytes);
    if (extracted && s.files.readFile(info, bytes)) {
        opened.hasInfoFile = true;
        opened.lines = archive::ReadInfoLines(bytes);
    }
    platform::removeFile(s.files, info);

    opened.description = archive::DecodeLineBreaks(opened.value("BackupInformation"));
    opened.flags = opened.value("BackupItem");
    if (opened.flags.size() != items::kPartCount) {
        opened.outcome = OpenOutcome::Invalid;
        return opened;
    }
    for (const auto& part : items::parts()) {
        const std::size_t i = positionOf(part.part) - 1;
        if (opened.flags[i] == '1') opened.values[i] = opened.value(part.infoKey);
    }
    opened.outcome = OpenOutcome::Opened;
    return opened;
}

BackupListing ListBackupJob(app::Session& s, const std::string& path, const std::string& password, JobEvents& events) {
    BackupListing listing;
    // Read while no run of this program changes the installation.
    const auto lock = LockInstallation(s, RunKind::Console, events, listing.lockFailure);
    if (!lock) return listing;
    listing.opened = OpenBackupJob(s, path, password, events);
    OpenedBackup& opened = listing.opened;
    // Every entry is read to its end, so that a file that lists well but
    // would not restore is not called valid.
    if (opened.archive) {
        detail::ArchiveWatch watch(s, *opened.archive, events);
        listing.damaged = opened.archive->TestArchive();
    }
    opened.archive.reset();
    return listing;
}

}  // namespace qm::jobs
