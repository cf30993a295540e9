#pragma once
// Opening a backup file without a window: its facts, description, flags
// and recorded values, or why it is no backup that can be restored. The
// opened backup keeps its archive open for the restore it is handed to.
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/Session.h"
#include "archive/Zip.h"
#include "items/Parts.h"
#include "jobs/JobEvents.h"

namespace qm::jobs {

enum class OpenOutcome {
    Opened,         // a valid backup, ready for a restore
    WrongPassword,  // protected, and the password does not open it
    Invalid,        // no archive, no information file, or no valid "BackupItem"
};

struct OpenedBackup {
    OpenOutcome outcome = OpenOutcome::Invalid;
    bool isProtected = false;
    bool isArchive = false;    // the file opened as a ZIP archive
    bool hasInfoFile = false;  // "quillmark.dat" was found and read
    std::vector<std::string> entries;
    // The information file's lines up to the first empty one, in file order
    // (keys and values as stored; the description still encoded).
    std::vector<std::pair<std::string, std::string>> lines;
    // The value of a key as the information file is read (first line,
    // letter case ignored); "" when absent.
    std::string value(const std::string& key) const;
    // "BackupItem" and, for each position recorded as "1", its part's value.
    std::string flags;
    items::RecordedValues values{};
    // The description with its line breaks.
    std::string description;
    // Why the archive could not be opened or the password was refused.
    std::string archiveError;
    // Why an information file the archive holds could not be taken out
    // (too large, damaged), for a console to show; empty otherwise.
    std::string infoFileError;
    const platform::CodePage* codePage = nullptr;
    // The archive, open with the password (when it opened and the password
    // was right), while the opened backup lives.
    std::shared_ptr<archive::Zip> archive;

    bool loaded() const { return outcome == OpenOutcome::Opened && archive != nullptr; }
    // The items it holds, by its "BackupItem" value: the restore box of each
    // part recorded as "1" (the configuration and the rules have none).
    items::ItemSelection heldItems() const;
};

// Whether the file is a protected archive (the password is asked first).
bool IsBackupProtected(app::Session& session, const std::string& path);
// Opens the file; the password is tried when the file is protected.
OpenedBackup OpenBackupJob(app::Session& session, const std::string& path, const std::string& password,
                           JobEvents& events);

// A backup file read as a restore would read it.
struct BackupListing {
    OpenedBackup opened;
    // Every entry read to its end (decrypted and authenticated, inflated,
    // CRC and size checked): the names of those that are damaged or that
    // the password does not open.
    std::vector<std::string> damaged;
    // Another run kept the installation busy: nothing was read.
    std::string lockFailure;
};
BackupListing ListBackupJob(app::Session& session, const std::string& path, const std::string& password,
                            JobEvents& events);

}  // namespace qm::jobs
