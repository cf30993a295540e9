#pragma once
// The one process-wide record of the program, filled by start-up, the
// Outlook environment and the runs.
#include <string>
#include <vector>

// <windows.h> makes LogonUser a macro (LogonUserA). The field keeps its name
// in every translation unit; one that includes <windows.h> and uses the field
// fails to compile instead of silently reaching another name.
#pragma push_macro("LogonUser")
#undef LogonUser

namespace qm::app {

struct ApplicationState {
    std::string CommandLine;
    std::string InfoFilePath;
    std::string ComputerName;
    std::string LogonUser;
    std::string WindowsFolder;
    std::string WindowsVersion;
    std::string WindowsBuild;
    std::string OutlookVersion;
    // The display name the last detection gave ("Outlook 2019").
    std::string OutlookName;
    // The new Outlook is switched on; it does not read these profiles.
    bool NewOutlook = false;
    std::string ProfilesKey;
    std::vector<std::string> ProfileNames;
    bool NoOutlook = false;
    std::string UserProfileFolder;

    std::string AccountsKey;
    std::string SignaturesFolder;
    std::string StationeryFolder;
    // Office's shared stationery, read besides the user's (2013 and later).
    std::string SharedStationeryFolder;
    std::string OutlookDataFolder;
    std::string PreferencesFolder;
    std::string TemplatesFolder;
    std::string OptionsKey;

    // The main window's backup target and the password its restore side
    // last opened a backup with.
    std::string TargetArchivePath;
    std::string RestorePassword;

    std::string ConfigExportFile;
    std::string AccountsExportFile;
    std::string OptionsExportFile;
    // The exports of the option trees beside Outlook\Options (2013 and later).
    std::vector<std::string> MoreOptionsExportFiles;

    // This run's own work folder (Windows path): the information file, the
    // temporary exports and the extracted files live here.
    std::string WorkFolder;
    // Set when the unattended run has begun, so a later activation of the
    // main window does not start it again.
    bool AutomaticRunStarted = false;
};

// Where Outlook 97 to 2010 keep their profiles.
inline const char* const kProfilesKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";

}  // namespace qm::app

#pragma pop_macro("LogonUser")
