#include "platform/wine/CompatFolders.h"

namespace qm::platform::wine {
namespace {

struct Junction {
    std::vector<const char16_t*> parent;  // folded; "*": any one name
    const char* name;
    std::vector<const char*> target;
};

// The ASCII name in upper case, as names are compared.
std::u16string folded(const char* name) {
    std::u16string out;
    for (const char* c = name; *c; ++c) out += static_cast<char16_t>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c);
    return out;
}

// Windows 7's junctions (the Windows 8 and 10 layouts keep them).
const std::vector<Junction>& junctions() {
    static const std::vector<Junction> list = {
        {{}, "Documents and Settings", {"users"}},
        {{u"USERS"}, "All Users", {"..", "ProgramData"}},
        {{u"USERS"}, "Default User", {"Default"}},
        {{u"USERS", u"*"}, "Application Data", {"AppData", "Roaming"}},
        {{u"USERS", u"*"}, "Cookies", {"AppData", "Roaming", "Microsoft", "Windows", "Cookies"}},
        {{u"USERS", u"*"}, "Local Settings", {"AppData", "Local"}},
        {{u"USERS", u"*"}, "My Documents", {"Documents"}},
        {{u"USERS", u"*"}, "NetHood", {"AppData", "Roaming", "Microsoft", "Windows", "Network Shortcuts"}},
        {{u"USERS", u"*"}, "PrintHood", {"AppData", "Roaming", "Microsoft", "Windows", "Printer Shortcuts"}},
        {{u"USERS", u"*"}, "Recent", {"AppData", "Roaming", "Microsoft", "Windows", "Recent"}},
        {{u"USERS", u"*"}, "SendTo", {"AppData", "Roaming", "Microsoft", "Windows", "SendTo"}},
        {{u"USERS", u"*"}, "Start Menu", {"AppData", "Roaming", "Microsoft", "Windows", "Start Menu"}},
        {{u"USERS", u"*"}, "Templates", {"AppData", "Roaming", "Microsoft", "Windows", "Templates"}},
        {{u"USERS", u"*", u"APPDATA", u"LOCAL"}, "Application Data", {}},
        {{u"USERS", u"*", u"APPDATA", u"LOCAL"}, "History", {"Microsoft", "Windows", "History"}},
        {{u"USERS", u"*", u"APPDATA", u"LOCAL"},
         "Temporary Internet Files",
         {"Microsoft", "Windows", "Temporary Internet Files"}},
        {{u"USERS", u"*", u"DOCUMENTS"}, "My Music", {"..", "Music"}},
        {{u"USERS", u"*", u"DOCUMENTS"}, "My Pictures", {"..", "Pictures"}},
        {{u"USERS", u"*", u"DOCUMENTS"}, "My Videos", {"..", "Videos"}},
        {{u"PROGRAMDATA"}, "Application Data", {}},
        {{u"PROGRAMDATA"}, "Desktop", {"..", "users", "Public", "Desktop"}},
        {{u"PROGRAMDATA"}, "Documents", {"..", "users", "Public", "Documents"}},
        {{u"PROGRAMDATA"}, "Favorites", {"..", "users", "Public", "Favorites"}},
        {{u"PROGRAMDATA"}, "Start Menu", {"Microsoft", "Windows", "Start Menu"}},
        {{u"PROGRAMDATA"}, "Templates", {"Microsoft", "Windows", "Templates"}},
    };
    return list;
}

}  // namespace

std::optional<CompatFolder> compatFolder(const std::vector<std::u16string>& parent, const std::u16string& name) {
    for (const auto& j : junctions()) {
        if (parent.size() != j.parent.size() || name != folded(j.name)) continue;
        bool match = true;
        for (std::size_t i = 0; i < parent.size() && match; ++i)
            match = std::u16string(j.parent[i]) == u"*" || parent[i] == j.parent[i];
        if (match) return CompatFolder{j.name, std::vector<std::string>(j.target.begin(), j.target.end())};
    }
    return std::nullopt;
}

}  // namespace qm::platform::wine
