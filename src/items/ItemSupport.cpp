#include "items/ItemSupport.h"

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "base/Text.h"
#include "base/WinPath.h"
#include "platform/FileOps.h"

namespace qm::items::detail {

const std::string& recorded(const Context& c, Part part) { return c.recorded[positionOf(part) - 1]; }

std::string recordedKey(const Context& c, const std::string& key) { return c.lookup ? c.lookup(key) : std::string(); }

void note(Context& c, const std::string& text) {
    for (const auto& said : c.notes)
        if (said == text) return;
    c.notes.push_back(text);
}

std::string backupVersion(const Context& c) { return app::VersionOfDisplayName(recordedKey(c, "Outlookversion")); }

std::vector<std::string> splitNames(const std::string& value) { return base::split(base::cutAtZero(value), ';'); }

bool allStayInFolder(const std::vector<std::string>& names, const base::LeadBytes& leads) {
    for (const auto& name : names)
        if (!base::staysInFolder(name, leads)) return false;
    return true;
}

bool usableKeyName(const std::string& name, const base::LeadBytes& leads) {
    return !base::trimBlanks(name).empty() && leads.findFirstOf(name, "\\") == std::string::npos;
}

bool usableProfileName(const std::string& name, const base::LeadBytes& leads) {
    return !base::trimBlanks(name).empty() && base::staysInFolder(name, leads);
}

std::string profileKey(const app::Session& s, const std::string& profile) {
    const std::string root =
        s.state.ProfilesKey.empty() ? app::ProfilesKeyFor(s.state.OutlookVersion) : s.state.ProfilesKey;
    return root + "\\" + profile;
}

bool addFile(Context& c, const std::string& path) {
    std::string why;
    if (c.zip.AddFileEntry(path, why)) return true;
    c.problems.push_back(why);
    return false;
}

bool extractAll(Context& c, const std::vector<std::string>& names, const std::string& folder) {
    if (!allStayInFolder(names, c.s.leads())) return false;
    for (const auto& name : names) {
        if (c.transaction) {
            if (!extractAs(c, name, base::joinPath(folder, name, c.s.leads()))) return false;
            continue;
        }
        const archive::ZipEntry entry = c.zip.FindEntry(name);
        std::string why;
        if (!entry.ExtractEntryTo(folder, why)) {
            c.problems.push_back(name + ": " + why);
            return false;
        }
    }
    return true;
}

bool extractAs(Context& c, const std::string& name, const std::string& target) {
    const archive::ZipEntry entry = c.zip.FindEntry(name);
    std::string why;
    const bool taken = c.transaction ? entry.StageEntryAs(target, *c.transaction, why)
                                     : entry.ExtractEntryAs(base::parentFolder(target, c.s.leads()),
                                                            base::bareName(target, c.s.leads()), why);
    if (taken) return true;
    const std::string reason = name + ": " + why;
    c.problems.push_back(reason);
    if (c.transaction) c.transaction->abort("the backup's " + reason);
    return false;
}

bool makeFolder(Context& c, const std::string& folder, bool parents) {
    if (c.s.files.folderExists(folder)) return true;
    if (!parents && !c.s.files.folderExists(base::parentFolder(folder, c.s.leads()))) return false;
    if (!c.transaction) return parents ? platform::makeFolders(c.s.files, folder) : c.s.files.createFolder(folder);
    std::string why;
    if (c.transaction->makeFolders(folder, why)) return true;
    c.problems.push_back(why);
    c.transaction->abort(why);
    return false;
}

bool backupSectionFiles(Context& c, const std::string& profile, Part part,
                        const std::function<std::string(const std::string& sectionKey)>& pathOf,
                        const std::function<std::string(const std::string& path)>& addPath) {
    app::Session& s = c.s;
    if (!usableKeyName(profile, s.leads())) return false;
    const std::string key = profileKey(s, profile);
    const auto sections = s.reg.EnumSubKeys(key);
    if (sections.empty()) return false;

    std::string list;
    bool refused = false;
    for (const auto& section : sections) {
        const std::string path = pathOf(key + "\\" + section);
        if (path == registry::kError || path.empty()) continue;
        // A file that is gone is passed over, and named: the profile would
        // not open it either. A folder, pipe or device under the name is
        // offered all the same, so that it is refused by name.
        if (!s.files.fileExists(path)) {
            const platform::FileInfo there = s.files.stat(path);
            if (!there.exists)
                c.warnings.push_back(base::bareName(path, s.leads()) + ": missing: the profile names " + path +
                                     ", which does not exist");
            if (!there.exists || there.regular) continue;
        }
        // A file that is there but cannot be read (open in Outlook, no
        // permission) fails the item; the files that were taken are named.
        if (!addFile(c, addPath(path))) {
            refused = true;
            continue;
        }
        if (!list.empty()) list += ';';
        list += base::bareName(path, s.leads());
    }
    if (list.empty()) return false;
    return s.SaveINI(partInfo(part).infoKey, list) && !refused;
}

std::optional<bool> restoreSectionFiles(
    Context& c, const std::string& profile, Part part,
    const std::function<bool(const std::string& sectionKey, const std::string& folder)>& repoint) {
    app::Session& s = c.s;
    if (!usableKeyName(profile, s.leads())) return std::nullopt;
    const std::string folder = app::DataRestoreFolderFor(s.state);
    const auto names = splitNames(recorded(c, part));
    if (!allStayInFolder(names, s.leads()) || !base::absolutePath(folder)) return std::nullopt;
    // A machine on which Outlook never ran has no such folder yet.
    if (!makeFolder(c, folder, true) || !extractAll(c, names, folder)) return std::nullopt;

    const std::string key = profileKey(s, profile);
    const auto sections = s.reg.EnumSubKeys(key);
    if (sections.empty()) return std::nullopt;
    bool written = true;
    for (const auto& section : sections) written = repoint(key + "\\" + section, folder) && written;
    return written;
}

}  // namespace qm::items::detail
