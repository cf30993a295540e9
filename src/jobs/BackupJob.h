#pragma once
// A backup without a window: a request in, the result of each part out.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/Session.h"
#include "items/Parts.h"
#include "jobs/BackupRequest.h"
#include "jobs/JobEvents.h"

namespace qm::jobs {

struct PartResult {
    // Selected, so the operation was called, and the installation keeps
    // something of the part (a part it keeps nothing of, where that is no
    // failure, counts as not run).
    bool ran = false;
    bool ok = false;   // backed up, and stored in the archive
    std::string reason;  // why a part that ran failed, when known
};

struct BackupReport {
    bool written = false;
    // The archive's Windows path, as the request named it.
    std::string archivePath;
    std::array<PartResult, items::kPartCount> parts{};
    // The "BackupItem" value: "1" for each part backed up and stored.
    std::string itemResult;
    // Why no archive was written; empty when one was.
    std::string failure;
    // The user stopped the run before the archive was in place (the earlier
    // archive stays as it was); `failure` says so too.
    bool cancelled = false;
    // The ZIP component's own last error text, as it stood when the write
    // ended (empty after a good write).
    std::string archiveError;
    // Messages the registry layer raised on the way ("Incorrect Format:").
    std::vector<std::string> notices;
    // Files that were stored but look damaged or still in use, each as
    // "<bare name>: <what>" (also the reason of their part).
    std::vector<std::string> warnings;
    // What the user should know of the parts (files left out on purpose:
    // "<name>.ost: a server mailbox's cache, Outlook rebuilds it").
    std::vector<std::string> notes;
    // What the installation holds of each item for the profile (console and
    // scheduled runs), as the request found it.
    std::optional<items::ItemAvailability> available;
    // Earlier versions of the backup file: what was kept or removed, and
    // files of a version's name left alone, each a sentence for the user.
    std::vector<std::string> versionNotes;
    // Why the earlier backup was kept whatever the policy says (a data file
    // that looks damaged, or shrank to less than half): also in
    // versionNotes.
    std::vector<std::string> keptBecause;
    // Why the versions could not be kept as asked (a rename or removal that
    // failed, an earlier file that is no backup of ours). The backup itself
    // was written, at `writtenAs` when not at `archivePath`.
    std::string versionFailure;
    std::string writtenAs;
    // Said when the backup began: the installation was in use (Wine
    // programs running in the prefix), so what it holds may not be
    // consistent. The backup went on.
    std::string inUseWarning;
};

BackupReport RunBackupJob(app::Session& session, const BackupRequest& request, JobEvents& events);

}  // namespace qm::jobs
