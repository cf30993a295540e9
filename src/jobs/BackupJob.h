#pragma once
// A backup without a window: settings in, the result of each part out.
#include <array>
#include <string>
#include <vector>

#include "app/Session.h"
#include "items/Parts.h"
#include "jobs/JobEvents.h"

namespace qm::jobs {

struct BackupSettings {
    std::string profile;
    items::ItemSelection items{};
    // Windows path of the archive; an archive already there is replaced
    // only by a complete new one.
    std::string archivePath;
    // Stored as "BackupInformation"; line breaks are encoded.
    std::string description;
    // Empty: the archive is not protected.
    std::string password;
    // Unattended: the profile must be one of the installation's (letter
    // case ignored), a step that fails ends the run with nothing written,
    // and an archive holding none of the selected parts is not written (a
    // scheduled job must not replace the last good backup with it). An
    // interactive run passes over a failing step and reports per part.
    bool unattended = false;
};

struct PartResult {
    bool ran = false;  // selected, so the operation was called
    bool ok = false;   // backed up, and stored in the archive
    std::string reason;  // why a part that ran failed, when known
};

struct BackupReport {
    bool written = false;
    std::array<PartResult, items::kPartCount> parts{};
    // The "BackupItem" value: "1" for each part backed up and stored.
    std::string itemResult;
    // Why no archive was written; empty when one was.
    std::string failure;
    // The ZIP component's own last error text, as it stood when the write
    // ended (empty after a good write).
    std::string archiveError;
    // Messages the registry layer raised on the way ("Incorrect Format:").
    std::vector<std::string> notices;
    // Files that were stored but look damaged or still in use, each as
    // "<bare name>: <what>" (also the reason of their part).
    std::vector<std::string> warnings;
    // Said when the backup began: the installation was in use (Wine
    // programs running in the prefix), so what it holds may not be
    // consistent. The backup went on.
    std::string inUseWarning;
};

BackupReport RunBackupJob(app::Session& session, const BackupSettings& settings, JobEvents& events);

}  // namespace qm::jobs
