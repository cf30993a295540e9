// The items that are plain files: the profile's rules file and the files
// directly in the signatures, stationery, templates and Outlook folders.
#include "app/Environment.h"
#include "base/Text.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "items/Items.h"

namespace qm::items {

using namespace detail;

namespace {

// Every file directly in the folder (subfolders are not saved).
bool backupFolder(Context& c, const std::string& folder, Part part) {
    app::Session& s = c.s;
    std::vector<std::string> names;
    if (folder.empty()) return false;
    if (!s.files.listFiles(folder, names)) {
        // There, but not to be read: the item fails and says so.
        if (s.files.folderExists(folder)) c.problems.push_back("the folder " + folder + " cannot be read");
        return false;
    }
    std::string list;
    bool refused = false;
    for (const auto& name : names) {
        if (name.empty()) continue;
        if (!addFile(c, base::joinPath(folder, name, s.leads()))) {
            refused = true;
            continue;
        }
        if (!list.empty()) list += ';';
        list += name;
    }
    if (list.empty()) return false;
    return s.SaveINI(partInfo(part).infoKey, list) && !refused;
}

// The recorded files into the folder, which is made when missing (one
// level only).
bool restoreFolder(Context& c, const std::string& folder, Part part) {
    app::Session& s = c.s;
    const auto names = splitNames(recorded(c, part));
    if (!allStayInFolder(names, s.leads()) || !base::absolutePath(folder)) return false;
    if (!makeFolder(c, folder, false)) return false;
    return extractAll(c, names, folder);
}

}  // namespace

bool Items::BackupRules(const std::string& profile) {
    if (!usableProfileName(profile, s_.leads())) return false;
    const std::string file = base::joinPath(s_.state.OutlookDataFolder, profile + ".RWZ", s_.leads());
    if (s_.state.OutlookDataFolder.empty() || !s_.files.fileExists(file)) return false;
    if (!addFile(c_, file)) return false;
    return s_.SaveINI(partInfo(Part::Rules).infoKey, profile + ".RWZ");
}

bool Items::RestoreRules(const std::string& profile) {
    if (!usableProfileName(profile, s_.leads())) return false;
    const std::string saved = base::cutAtZero(recorded(c_, Part::Rules));
    const auto names = splitNames(saved);
    // The whole value is also the name renamed below.
    if (!allStayInFolder(names, s_.leads()) || !base::staysInFolder(saved, s_.leads())) return false;
    const std::string folder = app::OutlookDataFolderFor(s_.state);
    if (!base::absolutePath(folder)) return false;

    // The rules become those of the target profile.
    const std::string target = profile + ".RWZ";
    if (names.size() != 1 || s_.codePage.equalsIgnoreCase(saved, target)) return extractAll(c_, names, folder);
    // Saved under another profile's name: taken out under the target's, so
    // that the rules file of a profile of that name here stays as it is.
    if (c_.transaction) {
        if (!s_.files.folderExists(folder)) return false;
        return extractAs(c_, saved, base::joinPath(folder, target, s_.leads()));
    }
    const std::string& work = s_.state.WorkFolder;
    if (!s_.files.folderExists(folder) || !extractAll(c_, names, work)) return false;
    const std::string targetPath = base::joinPath(folder, target, s_.leads());
    if (s_.files.fileExists(targetPath)) s_.files.deleteFile(targetPath);
    return s_.files.renameFile(base::joinPath(work, saved, s_.leads()), targetPath);
}

bool Items::BackupSignatures() { return backupFolder(c_, s_.state.SignaturesFolder, Part::Signatures); }
bool Items::BackupStationery() { return backupFolder(c_, s_.state.StationeryFolder, Part::Stationery); }
bool Items::BackupTemplates() { return backupFolder(c_, s_.state.TemplatesFolder, Part::Templates); }
bool Items::BackupSetting() { return backupFolder(c_, s_.state.PreferencesFolder, Part::Setting); }

bool Items::RestoreSignatures() { return restoreFolder(c_, app::SignaturesFolderFor(s_.state), Part::Signatures); }
bool Items::RestoreStationery() {
    return restoreFolder(c_, app::StationeryFolderFor(s_.state, s_.reg), Part::Stationery);
}
bool Items::RestoreTemplates() { return restoreFolder(c_, app::TemplatesFolderFor(s_.state), Part::Templates); }
bool Items::RestoreSetting() { return restoreFolder(c_, app::OutlookDataFolderFor(s_.state), Part::Setting); }

}  // namespace qm::items
