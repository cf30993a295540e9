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
#include <string>
#include <vector>

#include "app/Session.h"

namespace qm::items {

class Items {
public:
    explicit Items(app::Session& session) : s_(session) {}

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

    // Files that were stored but look damaged or still in use (a data file
    // whose header does not check out), each as "<bare name>: <what>", in
    // the order met.
    const std::vector<std::string>& warnings() const { return warnings_; }
    // Why a part failed where the ZIP component's refused entries do not
    // tell (a temporary file that could not be written), in the order met.
    const std::vector<std::string>& problems() const { return problems_; }

private:
    void checkDataFile(const std::string& path);

    app::Session& s_;
    std::vector<std::string> warnings_;
    std::vector<std::string> problems_;
};

}  // namespace qm::items
