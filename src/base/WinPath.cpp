#include "base/WinPath.h"

#include <cctype>

namespace qm::base {

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + "\\" + name;
}

std::string bareName(const std::string& path) {
    const auto pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string parentFolder(const std::string& path) {
    const auto pos = path.find_last_of("\\/");
    if (pos == std::string::npos) return {};
    if (pos == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, pos);
}

bool absolutePath(const std::string& path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\')
        return true;
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

std::size_t rootLength(const std::string& path) {
    if (!absolutePath(path)) return 0;
    if (path[0] != '\\') return 3;
    const auto server = path.find('\\', 2);
    if (server == std::string::npos) return path.size();
    const auto share = path.find('\\', server + 1);
    return share == std::string::npos ? path.size() : share + 1;
}

bool staysInFolder(const std::string& name) {
    if (name.find_first_of("\\/:") != std::string::npos) return false;
    return name.empty() || name.find_last_not_of(". ") != std::string::npos;
}

std::string singleSeparators(const std::string& path) {
    const bool network = path.rfind("\\\\", 0) == 0;
    std::string out = network ? "\\\\" : "";
    for (std::size_t i = network ? 2 : 0; i < path.size(); ++i) {
        // Also drops further separators after the opening two.
        if (path[i] == '\\' && !out.empty() && out.back() == '\\') continue;
        out += path[i];
    }
    return out;
}

}  // namespace qm::base
