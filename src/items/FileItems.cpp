// The items that are plain files: the profile's rules file and the files
// directly in the signatures, stationery, templates and Outlook folders.
#include "app/Environment.h"
#include "archive/Names.h"
#include "items/ItemSupport.h"
#include "items/Items.h"

namespace qm::items {

using namespace detail;

namespace {

// Every file directly in the folder (subfolders are not saved).
bool backupFolder(app::Session& s, const std::string& folder, const char* infoKey) {
    std::vector<std::string> names;
    if (folder.empty() || !s.files.listFiles(folder, names)) return false;
    std::string list;
    bool refused = false;
    for (const auto& name : names) {
        if (name.empty()) continue;
        if (!addFile(s, app::JoinPath(folder, name))) {
            refused = true;
            continue;
        }
        if (!list.empty()) list += ';';
        list += name;
    }
    if (list.empty()) return false;
    return s.SaveINI(infoKey, list) && !refused;
}

// The recorded files into the folder, which is made when missing (one
// level only).
bool restoreFolder(app::Session& s, const std::string& folder, int position) {
    const auto names = splitNames(s.state.ItemValues[position - 1]);
    if (!allStayInFolder(names) || !absolutePath(folder)) return false;
    if (!s.files.folderExists(folder) && !s.files.createFolder(folder)) return false;
    return extractAll(s, names, folder);
}

}  // namespace

bool Items::BackupRules(const std::string& profile) {
    if (!usableProfileName(profile)) return false;
    const std::string file = app::JoinPath(s_.state.OutlookDataFolder, profile + ".RWZ");
    if (s_.state.OutlookDataFolder.empty() || !s_.files.fileExists(file)) return false;
    if (!addFile(s_, file)) return false;
    return s_.SaveINI("BackupRules", profile + ".RWZ");
}

bool Items::RestoreRules(const std::string& profile) {
    if (!usableProfileName(profile)) return false;
    const std::string recorded = cutAtZero(s_.state.ItemValues[2]);
    const auto names = splitNames(recorded);
    // The whole value is also the name renamed below.
    if (!allStayInFolder(names) || !staysInFolder(recorded)) return false;
    const std::string folder = app::OutlookDataFolderFor(s_.state);
    if (!absolutePath(folder)) return false;

    // The rules become those of the target profile.
    const std::string target = profile + ".RWZ";
    if (names.size() != 1 || archive::detail::equalsIgnoreCase(recorded, target)) return extractAll(s_, names, folder);
    // Saved under another profile's name: taken out in the work folder, so
    // that the rules file of a profile of that name here stays as it is.
    const std::string& work = s_.state.WorkFolder;
    if (!s_.files.folderExists(folder) || !extractAll(s_, names, work)) return false;
    const std::string targetPath = app::JoinPath(folder, target);
    if (s_.files.fileExists(targetPath)) s_.files.deleteFile(targetPath);
    return s_.files.renameFile(app::JoinPath(work, recorded), targetPath);
}

bool Items::BackupSignatures() { return backupFolder(s_, s_.state.SignaturesFolder, "BackupSignatures"); }
bool Items::BackupStationery() { return backupFolder(s_, s_.state.StationeryFolder, "BackupStationery"); }
bool Items::BackupTemplates() { return backupFolder(s_, s_.state.TemplatesFolder, "BackupTemplates"); }
bool Items::BackupSetting() { return backupFolder(s_, s_.state.PreferencesFolder, "BackupSetting"); }

bool Items::RestoreSignatures() { return restoreFolder(s_, app::SignaturesFolderFor(s_.state), 5); }
bool Items::RestoreStationery() { return restoreFolder(s_, app::StationeryFolderFor(s_.state, s_.reg), 6); }
bool Items::RestoreTemplates() { return restoreFolder(s_, app::TemplatesFolderFor(s_.state), 9); }
bool Items::RestoreSetting() { return restoreFolder(s_, app::OutlookDataFolderFor(s_.state), 10); }

}  // namespace qm::items
