#pragma once
// The ten item operations. Backup methods add entries to the archive being
// built and record them in the information file; restore methods take the
// values recorded in state.ItemValues when the backup file was opened. None
// shows a message; each answers true for success.
#include <string>

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

private:
    app::Session& s_;
};

}  // namespace qm::items
