#pragma once
// The ten item operations. Backup methods add entries to the archive being
// built and record them in the information file; restore methods take the
// values recorded in state.ItemValues when the backup file was opened. None
// shows a message; each answers true for success.
//
// A file an item should save that exists but cannot be read (open elsewhere,
// no permission, no plain file) fails that item: the files that were added
// are still recorded, and the other items go on. A recorded name, entry name
// or profile name that would lead out of its folder ("\", "/", a drive,
// "..") fails the item before anything is written. The data-file and
// address-book restores create their folder when it is missing; a rules file
// saved under another profile's name is taken out in the work folder and
// moved into place, so that profile's own rules file is not overwritten.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/Session.h"
#include "archive/Zip.h"
#include "items/ItemSupport.h"
#include "items/Parts.h"

namespace qm::items {

// A data file a backup stored, as it was when it was looked at: its bare
// name (the archive entry's), its size, and what its header check found
// wrong (empty when nothing).
struct DataFileSeen {
    std::string name;
    std::uint64_t size = 0;
    std::string headerProblem;
};

// What one part's operation did: whether it succeeded, why not when that
// is known, and the files it stored that look damaged or still in use.
struct PartOutcome {
    bool ok = false;
    // The installation keeps nothing of the part, which is no failure (the
    // rules of Outlook 2013 and later live in the mail store; a profile of
    // theirs may hold only server mailboxes): it counts as not selected.
    bool absent = false;
    std::string reason;  // the reasons met, joined by "; "
    std::vector<std::string> warnings;
    // What the user should know of a part, whatever its result: files left
    // out on purpose ("<name>.ost: a server mailbox's cache, Outlook
    // rebuilds it"), account passwords to type again.
    std::vector<std::string> notes;
    // The personal folders' data files, each as it was stored.
    std::vector<DataFileSeen> dataFiles;
};

class Items {
public:
    // A backup's items add their files to `archive`, which is being built;
    // a restore's take them from `archive`, opened, with the values the
    // backup recorded and (`lookup`) the other keys of its information file.
    Items(app::Session& session, archive::Zip& archive, const RecordedValues& recorded,
          app::RestoreTransaction* transaction = nullptr, RecordedLookup lookup = {})
        : c_{session, archive, recorded, std::move(lookup), {}, {}, {}, false, transaction}, s_(session) {}

    // The part's backup or restore operation, with what it met.
    PartOutcome backup(const PartInfo& part, const std::string& profile);
    PartOutcome restore(const PartInfo& part, const std::string& profile);

    bool BackupConfig(const std::string& profile);
    bool BackupDatas(const std::string& profile);
    bool BackupRules(const std::string& profile);
    bool BackupAccounts(const std::string& profile);
    bool BackupSignatures();
    bool BackupStationery();
    bool BackupPab(const std::string& profile);
    bool BackupConfigsetting();
    bool BackupTemplates();
    bool BackupSetting();

    bool RestoreConfig(const std::string& profile);
    bool RestoreDatas(const std::string& profile);
    bool RestoreRules(const std::string& profile);
    bool RestoreAccounts(const std::string& profile);
    bool RestoreSignatures();
    bool RestoreStationery();
    bool RestorePab(const std::string& profile);
    bool RestoreConfigsetting();
    bool RestoreTemplates();
    bool RestoreSetting();

private:
    PartOutcome outcomeOf(bool ok);
    void checkDataFile(const std::string& path);

    detail::Context c_;
    app::Session& s_;
    std::vector<DataFileSeen> seen_;
};

}  // namespace qm::items
