#include "platform/wine/CompatFolders.h"

namespace qm::platform::wine {
namespace {

struct Junction {
    std::vector<const char16_t*> parent;  // "*": any one name
    const char16_t* name;
    std::vector<const char*> target;
};

// Windows 7's junctions (the Windows 8 and 10 layouts keep them).
const std::vector<Junction>& junctions() {
    static const std::vector<Junction> list = {
        {{}, u"DOCUMENTS AND SETTINGS", {"users"}},
        {{u"USERS"}, u"ALL USERS", {"..", "ProgramData"}},
        {{u"USERS"}, u"DEFAULT USER", {"Default"}},
        {{u"USERS", u"*"}, u"APPLICATION DATA", {"AppData", "Roaming"}},
        {{u"USERS", u"*"}, u"COOKIES", {"AppData", "Roaming", "Microsoft", "Windows", "Cookies"}},
        {{u"USERS", u"*"}, u"LOCAL SETTINGS", {"AppData", "Local"}},
        {{u"USERS", u"*"}, u"MY DOCUMENTS", {"Documents"}},
        {{u"USERS", u"*"}, u"NETHOOD", {"AppData", "Roaming", "Microsoft", "Windows", "Network Shortcuts"}},
        {{u"USERS", u"*"}, u"PRINTHOOD", {"AppData", "Roaming", "Microsoft", "Windows", "Printer Shortcuts"}},
        {{u"USERS", u"*"}, u"RECENT", {"AppData", "Roaming", "Microsoft", "Windows", "Recent"}},
        {{u"USERS", u"*"}, u"SENDTO", {"AppData", "Roaming", "Microsoft", "Windows", "SendTo"}},
        {{u"USERS", u"*"}, u"START MENU", {"AppData", "Roaming", "Microsoft", "Windows", "Start Menu"}},
        {{u"USERS", u"*"}, u"TEMPLATES", {"AppData", "Roaming", "Microsoft", "Windows", "Templates"}},
        {{u"USERS", u"*", u"APPDATA", u"LOCAL"}, u"APPLICATION DATA", {}},
        {{u"USERS", u"*", u"APPDATA", u"LOCAL"}, u"HISTORY", {"Microsoft", "Windows", "History"}},
        {{u"USERS", u"*", u"APPDATA", u"LOCAL"},
         u"TEMPORARY INTERNET FILES",
         {"Microsoft", "Windows", "Temporary Internet Files"}},
        {{u"USERS", u"*", u"DOCUMENTS"}, u"MY MUSIC", {"..", "Music"}},
        {{u"USERS", u"*", u"DOCUMENTS"}, u"MY PICTURES", {"..", "Pictures"}},
        {{u"USERS", u"*", u"DOCUMENTS"}, u"MY VIDEOS", {"..", "Videos"}},
        {{u"PROGRAMDATA"}, u"APPLICATION DATA", {}},
        {{u"PROGRAMDATA"}, u"DESKTOP", {"..", "users", "Public", "Desktop"}},
        {{u"PROGRAMDATA"}, u"DOCUMENTS", {"..", "users", "Public", "Documents"}},
        {{u"PROGRAMDATA"}, u"FAVORITES", {"..", "users", "Public", "Favorites"}},
        {{u"PROGRAMDATA"}, u"START MENU", {"Microsoft", "Windows", "Start Menu"}},
        {{u"PROGRAMDATA"}, u"TEMPLATES", {"Microsoft", "Windows", "Templates"}},
    };
    return list;
}

}  // namespace

std::optional<std::vector<std::string>> compatFolderTarget(const std::vector<std::u16string>& parent,
                                                           const std::u16string& name) {
    for (const auto& j : junctions()) {
        if (name != j.name || parent.size() != j.parent.size()) continue;
        bool match = true;
        for (std::size_t i = 0; i < parent.size() && match; ++i)
            match = std::u16string(j.parent[i]) == u"*" || parent[i] == j.parent[i];
        if (match) return std::vector<std::string>(j.target.begin(), j.target.end());
    }
    return std::nullopt;
}

}  // namespace qm::platform::wine
