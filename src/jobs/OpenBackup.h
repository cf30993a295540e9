#pragma once
// Opening a backup file without a window: its facts, description, flags
// and recorded values, or why it is no backup that can be restored. The
// archive stays open in the session's ZIP component for a restore.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/Session.h"
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
    std::array<std::string, items::kPartCount> values{};
    // The description with its line breaks.
    std::string description;
    std::string archiveError;
    // Why an information file the archive holds could not be taken out
    // (too large, damaged), for a console to show; empty otherwise.
    std::string infoFileError;
    const platform::CodePage* codePage = nullptr;
};

// Whether the file is a protected archive (the password is asked first).
bool IsBackupProtected(app::Session& session, const std::string& path);
// Resets the ZIP component and opens the file; the password is tried when
// the file is protected.
OpenedBackup OpenBackupJob(app::Session& session, const std::string& path, const std::string& password,
                           JobEvents& events);
// What the restore side keeps of an opening that got past the password:
// ItemFlags, the values of the positions recorded as "1" (the others stay
// as they were), and whether a valid backup is now loaded.
void KeepOpenedBackup(app::Session& session, const OpenedBackup& opened);
// Reads every entry of the backup file that OpenBackupJob left open to its
// end, as a restore would; the names of the entries that are damaged (or
// that the password does not open), empty when all read back whole.
std::vector<std::string> TestOpenedBackup(app::Session& session, JobEvents& events);

}  // namespace qm::jobs
