#pragma once
// The backup run, the opening of a backup file, the restore run and the
// unattended automatic backup. They talk to the user only through the view.
#include <string>

#include "app/Session.h"

namespace qm::runs {

void RunBackup(app::Session& session);
void OpenBackupFile(app::Session& session);
void RunRestore(app::Session& session);
// True when the archive was written.
bool RunAutomaticBackup(app::Session& session, const std::string& profile, const std::string& selection,
                        const std::string& password, const std::string& archivePath);

}  // namespace qm::runs
