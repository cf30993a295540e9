#pragma once
// Earlier versions of a backup file, kept beside it: before a new archive
// takes the file's name the one there is renamed with its backup time
// ("b 2026-12-08 23-30-05.qmk"), and versions beyond the keep policy are
// removed, oldest first. Only files this program made (an information file
// that reads, with a backup time) are ever renamed or removed; any other
// file of a matching name is left as it is and named.
//
// A data file that looks damaged, or much smaller than the earlier backup
// held of it, keeps the earlier backup whatever the policy says, and no
// version is removed in that run: a damaged source never pushes out the
// last good backup.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Session.h"
#include "archive/Zip.h"
#include "items/Items.h"
#include "jobs/KeepPolicy.h"

namespace qm::jobs::detail {

// The name of a kept version: the file's name with the stamp before its
// extension, and " (2)", " (3)" ... after the stamp when `copy` > 1.
// A version held for a damaged source carries " kept" after the stamp: no
// run removes it (see lookAtDataFiles).
inline const char* const kHeldMark = " kept";
std::string VersionName(const std::string& bareName, const BackupStamp& stamp, int copy = 1, bool held = false);
// The copy number of a version's name (1 without one).
int VersionCopy(const std::string& name);
// Whether a bare name is a version's name of the backup file's bare name
// (letter case ignored).
bool IsVersionName(const platform::CodePage& codePage, const std::string& bareName, const std::string& candidate);

class VersionKeeper {
public:
    // `target` is the backup file (a Windows path), `password` the one the
    // new backup is made with (earlier versions made by the same job are
    // read with it).
    VersionKeeper(app::Session& session, std::string target, std::string password, KeepPolicy policy);

    // Before the archive is written: the data files it holds, against what
    // the backup at the target holds of them (when that is a backup of
    // ours). Each reason to keep the earlier backup is added to `held()`.
    // `dataFilesRan`: the personal folders were backed up (a data file the
    // earlier backup holds and this one lacks is then a reason too).
    void lookAtDataFiles(const std::vector<items::DataFileSeen>& files, bool dataFilesRan);
    // Whether the earlier backup must make room as a version (rather than
    // be replaced), so that the new backup's time must be known.
    bool keepsEarlier() const;
    // Called just before the new archive takes the target's name (see
    // archive::Zip::setBeforeReplace): moves an earlier backup aside as a
    // version when it is to be kept. Answers where the new archive goes
    // instead of the target (empty: the target).
    std::string beforeReplace(const BackupStamp& newTime);
    // The new archive could not take the target's name after all: the
    // earlier backup moved aside goes back to it.
    void undoBeforeReplace();
    // After the new archive is in place: removes the versions the policy
    // does not keep (none in a run that held the earlier backup).
    void removeOldVersions(const BackupStamp& newTime);

    const std::vector<std::string>& held() const { return held_; }
    // What was done, for the report.
    const std::vector<std::string>& notes() const { return notes_; }
    // Why the versions could not be kept as asked (empty when they were).
    const std::string& failure() const { return failure_; }
    // Where the new archive went when not at the target.
    const std::string& placedAt() const { return placedAt_; }

private:
    using InfoLines = std::vector<std::pair<std::string, std::string>>;
    // The information file of an archive, opened through `zip` (with the
    // job's password).
    bool readInfo(archive::Zip& zip, const std::string& path, InfoLines& lines, std::string& why) const;
    // Its backup time, when it is a backup this program made.
    std::optional<BackupStamp> timeIn(const InfoLines& lines, std::string& why) const;
    std::optional<BackupStamp> backupTimeOf(const std::string& path, std::string& why) const;
    // A free name beside the target for a version of that time.
    std::string freeVersionPath(const BackupStamp& stamp, bool held = false) const;
    void fail(const std::string& why);

    app::Session& s_;
    std::string target_;
    std::string folder_;
    std::string bare_;
    std::string password_;
    KeepPolicy policy_;
    std::vector<std::string> held_;
    std::vector<std::string> notes_;
    std::string failure_;
    std::string placedAt_;
    std::string movedTo_;  // where beforeReplace moved the earlier backup
    bool linked_ = false;  // ... as a second name, the target still its own
};

}  // namespace qm::jobs::detail
