#pragma once
// The backup run, the opening of a backup file, the restore run and the
// unattended automatic backup. They talk to the user only through the view.
#include <string>
#include <vector>

#include "app/Session.h"

namespace qm::runs {

void RunBackup(app::Session& session);
void OpenBackupFile(app::Session& session);
void RunRestore(app::Session& session);
// True when the archive was written.
bool RunAutomaticBackup(app::Session& session, const std::string& profile, const std::string& selection,
                        const std::string& password, const std::string& archivePath);

// What an automatic run did, for a caller that has to tell a scheduler.
struct AutomaticReport {
    bool written = false;
    std::string itemResult;  // the "BackupItem" value stored
    std::string ranParts;    // ten characters: "1" for each part the selection ran
    std::string failure;     // why no archive was written; empty when one was
};
bool RunAutomaticBackup(app::Session& session, const std::string& profile, const std::string& selection,
                        const std::string& password, const std::string& archivePath, AutomaticReport& report);

// The action button: the backup run on the backup tab; on the restore tab
// the restore run, after the user confirms. (The menu entries start
// RunBackup and RunRestore directly.)
void ApplyPressed(app::Session& session);

// The main window's activation: nothing with an empty command line;
// otherwise hide the window, make one automatic backup with the settings
// the command line carries, and quit. True when an archive was written.
bool MainWindowActivated(app::Session& session, AutomaticReport* report = nullptr);

// The program's own listing of a backup file: its entries and the facts of
// its information file.
struct BackupListing {
    bool opened = false;
    bool isProtected = false;
    bool passwordAccepted = false;
    bool hasInfoFile = false;
    std::vector<std::string> entries;
    // Key and value of each information-file line, in file order (the
    // description decoded).
    std::vector<std::pair<std::string, std::string>> facts;
    std::string problem;  // why the file is no valid backup; empty when it is
};
BackupListing ListBackupFile(app::Session& session, const std::string& archivePath, const std::string& password);

}  // namespace qm::runs
