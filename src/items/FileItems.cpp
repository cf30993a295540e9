// The items that are plain files: the profile's rules file and the files
// directly in the signatures, stationery, templates and Outlook folders,
// with the folders of pictures beside the signatures.
#include <optional>
#include <vector>

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "base/Text.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "items/Items.h"

namespace qm::items {

using namespace detail;

namespace {

// The files of each signature's folder ("<name>_files", named in the
// language of the Office that made it): "<folder>/<file>" names of the
// archive's own folders, kept under a key of their own that older versions
// of the program pass over (they restore the signatures without pictures,
// as they always did).
const char* const kSignatureFoldersKey = "BackupSignatureFolders";

// Every file directly in the folders, the first folder's first when two
// hold a file of one name (the user's stationery before Office's). False
// when no folder could be listed or nothing was added.
bool backupFolders(Context& c, const std::vector<std::string>& folders, Part part) {
    app::Session& s = c.s;
    std::string list;
    std::vector<std::string> taken;
    bool refused = false;
    for (const auto& folder : folders) {
        std::vector<std::string> names;
        if (folder.empty()) continue;
        if (!s.files.listFiles(folder, names)) {
            // There, but not to be read: the item fails and says so.
            if (s.files.folderExists(folder)) {
                c.problems.push_back("the folder " + folder + " cannot be read");
                refused = true;
            }
            continue;
        }
        for (const auto& name : names) {
            if (name.empty()) continue;
            bool twice = false;
            for (const auto& earlier : taken) twice = twice || s.codePage.equalsIgnoreCase(earlier, name);
            if (twice) continue;
            if (!addFile(c, base::joinPath(folder, name, s.leads()))) {
                refused = true;
                continue;
            }
            taken.push_back(name);
            if (!list.empty()) list += ';';
            list += name;
        }
    }
    if (list.empty()) return false;
    return s.SaveINI(partInfo(part).infoKey, list) && !refused;
}

// Every file directly in the folder (subfolders are not saved).
bool backupFolder(Context& c, const std::string& folder, Part part) { return backupFolders(c, {folder}, part); }

// A name of one folder or file that leads nowhere else and that Windows
// can hold.
bool usableName(const std::string& name, const base::LeadBytes& leads) {
    if (base::trimBlanks(name).empty() || !base::staysInFolder(name, leads) || base::deviceName(name)) return false;
    for (unsigned char ch : name)
        if (ch < 0x20) return false;
    return leads.findFirstOf(name, "*?\"<>|") == std::string::npos;
}

// The files of the signature folders: "<folder>/<file>" for each.
bool backupSignatureFolders(Context& c, const std::string& folder) {
    app::Session& s = c.s;
    std::vector<std::string> subfolders;
    if (!s.files.listFolders(folder, subfolders)) return true;
    std::string list;
    bool refused = false;
    for (const auto& sub : subfolders) {
        if (!usableName(sub, s.leads())) continue;
        const std::string path = base::joinPath(folder, sub, s.leads());
        std::vector<std::string> names;
        if (!s.files.listFiles(path, names)) continue;
        for (const auto& name : names) {
            if (!usableName(name, s.leads())) continue;
            // The recorded list is split at ";".
            if (sub.find(';') != std::string::npos || name.find(';') != std::string::npos) {
                c.problems.push_back(sub + "/" + name + ": a name with \";\" cannot be recorded");
                refused = true;
                continue;
            }
            std::string why;
            if (!c.zip.AddFileEntryAs(base::joinPath(path, name, s.leads()), sub + "/" + name, why)) {
                c.problems.push_back(why);
                refused = true;
                continue;
            }
            list += (list.empty() ? "" : ";") + sub + "/" + name;
        }
    }
    if (list.empty()) return !refused;
    return s.SaveINI(kSignatureFoldersKey, list) && !refused;
}

struct InFolder {
    std::string folder;
    std::string file;
};
// The recorded "<folder>/<file>" names, each exactly one folder and one
// file name; nothing when one is anything else.
std::optional<std::vector<InFolder>> signatureFolderFiles(const Context& c) {
    std::vector<InFolder> files;
    const std::string value = base::cutAtZero(recordedKey(c, kSignatureFoldersKey));
    if (value.empty()) return files;
    for (const auto& name : base::split(value, ';')) {
        const auto slash = name.find('/');
        if (slash == std::string::npos) return std::nullopt;
        InFolder f{name.substr(0, slash), name.substr(slash + 1)};
        if (!usableName(f.folder, c.s.leads()) || !usableName(f.file, c.s.leads())) return std::nullopt;
        files.push_back(f);
    }
    return files;
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

// Each recorded file into its folder below `folder`, made when missing (in
// a restore's transaction, as every file it takes out).
bool restoreSignatureFolders(Context& c, const std::string& folder, const std::vector<InFolder>& files) {
    const base::LeadBytes& leads = c.s.leads();
    for (const auto& f : files) {
        const std::string sub = base::joinPath(folder, f.folder, leads);
        if (!makeFolder(c, sub, false)) {
            // A transaction names the folder it could not make itself.
            if (!c.transaction) c.problems.push_back(f.folder + ": cannot make the folder " + sub);
            return false;
        }
        if (!extractAs(c, f.folder + "/" + f.file, base::joinPath(sub, f.file, leads))) return false;
    }
    return true;
}

}  // namespace

bool Items::BackupRules(const std::string& profile) {
    if (!usableProfileName(profile, s_.leads())) return false;
    const std::string file = base::joinPath(s_.state.OutlookDataFolder, profile + ".RWZ", s_.leads());
    if (s_.state.OutlookDataFolder.empty() || !s_.files.fileExists(file)) {
        // Outlook 2013 and later keep the rules in the mail store and write
        // a rules file only when the user exports one.
        c_.absent = app::ModernProfiles(s_.state.OutlookVersion) && !s_.state.OutlookDataFolder.empty();
        return false;
    }
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

bool Items::BackupSignatures() {
    // A signatures folder that holds only folders has no signature.
    if (!backupFolder(c_, s_.state.SignaturesFolder, Part::Signatures)) return false;
    return backupSignatureFolders(c_, s_.state.SignaturesFolder);
}
bool Items::BackupStationery() {
    return backupFolders(c_, {s_.state.StationeryFolder, s_.state.SharedStationeryFolder}, Part::Stationery);
}
bool Items::BackupTemplates() { return backupFolder(c_, s_.state.TemplatesFolder, Part::Templates); }
bool Items::BackupSetting() { return backupFolder(c_, s_.state.PreferencesFolder, Part::Setting); }

bool Items::RestoreSignatures() {
    // Every name is checked before the first file is written.
    const auto inFolders = signatureFolderFiles(c_);
    if (!inFolders) return false;
    const std::string folder = app::SignaturesFolderFor(s_.state, s_.reg);
    return restoreFolder(c_, folder, Part::Signatures) && restoreSignatureFolders(c_, folder, *inFolders);
}
bool Items::RestoreStationery() {
    return restoreFolder(c_, app::StationeryFolderFor(s_.state, s_.reg), Part::Stationery);
}
bool Items::RestoreTemplates() { return restoreFolder(c_, app::TemplatesFolderFor(s_.state), Part::Templates); }
bool Items::RestoreSetting() { return restoreFolder(c_, app::OutlookDataFolderFor(s_.state), Part::Setting); }

}  // namespace qm::items
