#include "base/WinPath.h"

#include <cctype>

namespace qm::base {

std::string joinPath(const std::string& folder, const std::string& name, const LeadBytes& leads) {
    if (folder.empty()) return name;
    if (leads.endsWith(folder, '\\') || leads.endsWith(folder, '/')) return folder + name;
    return folder + "\\" + name;
}

std::string bareName(const std::string& path, const LeadBytes& leads) {
    const auto pos = leads.findLastOf(path, "\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string parentFolder(const std::string& path, const LeadBytes& leads) {
    const auto pos = leads.findLastOf(path, "\\/");
    if (pos == std::string::npos) return {};
    if (pos == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, pos);
}

bool absolutePath(const std::string& path) {
    // The first bytes of either form are ASCII, never a trail byte.
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\')
        return true;
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

std::size_t rootLength(const std::string& path, const LeadBytes& leads) {
    if (!absolutePath(path)) return 0;
    if (path[0] != '\\') return 3;
    const auto server = leads.findFirstOf(path, "\\", 2);
    if (server == std::string::npos) return path.size();
    const auto share = leads.findFirstOf(path, "\\", server + 1);
    return share == std::string::npos ? path.size() : share + 1;
}

bool staysInFolder(const std::string& name, const LeadBytes& leads) {
    if (leads.findFirstOf(name, "\\/:") != std::string::npos) return false;
    return name.empty() || name.find_last_not_of(". ") != std::string::npos;
}

bool deviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

std::string singleSeparators(const std::string& path, const LeadBytes& leads) {
    const bool network = path.rfind("\\\\", 0) == 0;
    std::string out = network ? "\\\\" : "";
    bool afterSeparator = network;
    for (std::size_t i = network ? 2 : 0; i < path.size();) {
        const std::size_t n = leads.charLength(path, i);
        const bool separator = n == 1 && path[i] == '\\';
        // Also drops further separators after the opening two.
        if (!(separator && afterSeparator)) out.append(path, i, n);
        afterSeparator = separator;
        i += n;
    }
    return out;
}

}  // namespace qm::base
