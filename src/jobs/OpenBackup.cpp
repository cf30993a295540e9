#include "jobs/OpenBackup.h"

#include "archive/InfoFile.h"
#include "base/WinPath.h"
#include "jobs/ArchiveWatch.h"
#include "platform/FileOps.h"

namespace qm::jobs {

std::string OpenedBackup::value(const std::string& key) const {
    for (const auto& [k, v] : lines)
        if (codePage ? codePage->equalsIgnoreCase(k, key) : k == key) return v;
    return {};
}

std::vector<std::string> TestOpenedBackup(app::Session& s, JobEvents& events) {
    detail::ArchiveWatch watch(s, events);
    return s.zip1.TestArchive();
}

bool IsBackupProtected(app::Session& s, const std::string& path) { return s.zip1.IsArchiveProtected(path); }

OpenedBackup OpenBackupJob(app::Session& s, const std::string& path, const std::string& password, JobEvents& events) {
    OpenedBackup opened;
    opened.codePage = &s.codePage;
    detail::ArchiveWatch watch(s, events);
    s.zip1.ResetArchive();

    opened.isProtected = IsBackupProtected(s, path);
    opened.isArchive = s.zip1.OpenArchive(path, opened.archiveError);
    if (opened.isProtected) {
        s.zip1.setArchivePassword(password);
        if (!s.zip1.CheckArchivePassword(opened.archiveError)) {
            opened.outcome = OpenOutcome::WrongPassword;
            return opened;
        }
    }
    opened.entries = s.zip1.entryNames();

    // Only what this archive holds may be read: an information file left
    // from an earlier opening must not stand in for a missing one.
    const std::string info = base::joinPath(s.state.WorkFolder, archive::kInfoFileName, s.leads());
    platform::removeFile(s.files, info);
    const archive::ZipEntry entry = s.zip1.FindEntry(archive::kInfoFileName);
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

void KeepOpenedBackup(app::Session& s, const OpenedBackup& opened) {
    s.state.ItemFlags = opened.flags;
    if (opened.outcome != OpenOutcome::Opened) {
        s.state.NoArchiveLoaded = true;
        return;
    }
    for (std::size_t i = 0; i < items::kPartCount; ++i)
        if (opened.flags[i] == '1') s.state.ItemValues[i] = opened.values[i];
    s.state.NoArchiveLoaded = false;
}

}  // namespace qm::jobs
