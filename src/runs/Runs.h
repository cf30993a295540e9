#pragma once
// The backup run, the opening of a backup file, the restore run and the
// unattended automatic backup, as the main window starts them: each reads
// the window's controls into settings, calls its job and turns the report
// into the texts, icons, order and progress steps the user sees.
#include <string>

#include "app/MainView.h"
#include "app/Session.h"
#include "jobs/BackupJob.h"

namespace qm::runs {

void RunBackup(app::Session& session, app::MainView& view);
void OpenBackupFile(app::Session& session, app::MainView& view);
void RunRestore(app::Session& session, app::MainView& view);

// The unattended backup, with the four settings of the command line; the
// archive path may be a Windows or a host path. Nothing is shown.
jobs::BackupReport RunAutomaticBackup(app::Session& session, const std::string& profile, const std::string& selection,
                                      const std::string& password, const std::string& archivePath);

// The action button: the backup run on the backup tab; on the restore tab
// the restore run, after the user confirms. (The menu entries start
// RunBackup and RunRestore directly.)
void ApplyPressed(app::Session& session, app::MainView& view);

// The main window's activation: nothing with an empty command line;
// otherwise hide the window, make one automatic backup with the settings
// the command line carries, and quit. True when an archive was written;
// `report` (when given) tells what the run did.
bool MainWindowActivated(app::Session& session, app::MainView& view, jobs::BackupReport* report = nullptr);

}  // namespace qm::runs
