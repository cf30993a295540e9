#include "items/ItemSupport.h"

#include <cctype>

#include "app/Environment.h"

namespace qm::items::detail {

std::string bareName(const std::string& path) {
    const auto pos = path.rfind('\\');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string cutAtZero(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string trimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> splitNames(const std::string& value) {
    const std::string text = cutAtZero(value);
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const auto pos = text.find(';', start);
        names.push_back(text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos) break;
        start = pos + 1;
    }
    return names;
}

bool staysInFolder(const std::string& name) {
    if (name.find_first_of("\\/:") != std::string::npos) return false;
    // Windows drops trailing dots and blanks: ".. " is "..".
    const auto last = name.find_last_not_of(". ");
    if (!name.empty() && last == std::string::npos) return false;
    return true;
}

bool allStayInFolder(const std::vector<std::string>& names) {
    for (const auto& name : names)
        if (!staysInFolder(name)) return false;
    return true;
}

bool usableProfileName(const std::string& name) { return !trimBlanks(name).empty() && staysInFolder(name); }

bool absolutePath(const std::string& path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\')
        return true;
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

std::string profileKey(const app::Session& s, const std::string& profile) {
    const std::string& base = s.state.ProfilesKey.empty() ? std::string(app::kProfilesKey) : s.state.ProfilesKey;
    return base + "\\" + profile;
}

bool addFile(app::Session& s, const std::string& path) { return s.zip1.AddFileEntry(path, 1) == 1; }

bool extractAll(app::Session& s, const std::vector<std::string>& names, const std::string& folder) {
    if (!allStayInFolder(names)) return false;
    for (const auto& name : names) {
        const archive::ZipEntry entry = s.zip1.FindEntry(name);
        if (!entry.valid() || !entry.ExtractEntryTo(folder)) return false;
    }
    return true;
}

bool backupSectionFiles(app::Session& s, const std::string& profile, const char* infoKey,
                        const std::function<std::string(const std::string& sectionKey)>& pathOf,
                        const std::function<std::string(const std::string& path)>& addPath) {
    if (!usableProfileName(profile)) return false;
    const std::string key = profileKey(s, profile);
    const auto sections = s.reg.EnumSubKeys(key);
    if (sections.empty()) return false;

    std::string list;
    bool refused = false;
    for (const auto& section : sections) {
        const std::string path = pathOf(key + "\\" + section);
        if (path == registry::kError || path.empty() || !s.files.fileExists(path)) continue;
        // A file that is there but cannot be read (open in Outlook, no
        // permission) fails the item; the files that were taken are named.
        if (!addFile(s, addPath(path))) {
            refused = true;
            continue;
        }
        if (!list.empty()) list += ';';
        list += bareName(path);
    }
    if (list.empty()) return false;
    return s.SaveINI(infoKey, list) && !refused;
}

std::string extractToDataFolder(app::Session& s, const std::string& recorded) {
    const std::string folder = app::DataRestoreFolderFor(s.state);
    const auto names = splitNames(recorded);
    if (!allStayInFolder(names)) return {};
    // A machine on which Outlook never ran has no such folder yet.
    if (!makeFolders(s.files, folder)) return {};
    if (!extractAll(s, names, folder)) return {};
    return folder;
}

bool makeFolders(platform::FileSystem& files, const std::string& folder) {
    if (!absolutePath(folder)) return false;
    if (files.folderExists(folder)) return true;
    // The root (drive or \\server\share) is taken as given.
    std::size_t start = 3;
    if (folder[0] == '\\') {
        const auto server = folder.find('\\', 2);
        const auto share = server == std::string::npos ? std::string::npos : folder.find('\\', server + 1);
        if (share == std::string::npos) return files.folderExists(folder);
        start = share + 1;
    }
    for (auto pos = folder.find('\\', start);; pos = folder.find('\\', pos + 1)) {
        const std::string level = folder.substr(0, pos);
        if (!level.empty() && level.back() != '\\' && !files.folderExists(level)) files.createFolder(level);
        if (pos == std::string::npos) break;
    }
    return files.folderExists(folder);
}

}  // namespace qm::items::detail
