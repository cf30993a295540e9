#include "platform/wine/WinePrefix.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>


namespace qm::platform::wine {

namespace fs = std::filesystem;

std::string normalHostPath(const std::string& path) {
    if (path.empty()) return path;
    std::string n = fs::path(path).lexically_normal().string();
    while (n.size() > 1 && n.back() == '/') n.pop_back();
    return n;
}

std::string absoluteHostPath(const std::string& path) {
    if (path.empty() || path[0] == '/') return normalHostPath(path);
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    if (ec) return {};
    return normalHostPath((cwd / path).string());
}

std::string homeFolder() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

std::string hostUserName() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
    return {};
}

std::string executablePath() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

WinePrefix::WinePrefix(std::string hostPath) : path_(absoluteHostPath(hostPath)) {}

std::string WinePrefix::locate(const std::string& option) {
    if (!option.empty()) return absoluteHostPath(option);
    if (const char* p = std::getenv("WINEPREFIX"); p && *p) return absoluteHostPath(p);
    std::string home = homeFolder();
    return home.empty() ? std::string() : normalHostPath(home + "/.wine");
}

bool WinePrefix::isPrefix(const std::string& hostPath, std::string& why) {
    struct stat st {};
    if (hostPath.empty()) {
        why = "no prefix folder given";
        return false;
    }
    if (stat(hostPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = "no such folder";
        return false;
    }
    if (stat((hostPath + "/dosdevices").c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = "it has no dosdevices folder";
        return false;
    }
    if (stat((hostPath + "/user.reg").c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "it has no user.reg";
        return false;
    }
    return true;
}

bool WinePrefix::ownedByUser(const std::string& hostPath, std::string& why) {
    // Wine's own check, in its words: the folder, links followed, belongs to
    // the real user running the program.
    struct stat st {};
    if (stat(hostPath.c_str(), &st) != 0 || st.st_uid == getuid()) return true;
    why = "'" + hostPath + "' is not owned by you";
    return false;
}

std::string WinePrefix::driveTarget(char letter) const {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (letter < 'a' || letter > 'z') return {};
    const std::string link = dosdevices() + "/" + letter + ":";
    std::error_code ec;
    auto status = fs::symlink_status(link, ec);
    if (ec || !fs::exists(status)) return {};
    if (fs::is_symlink(status)) {
        fs::path target = fs::read_symlink(link, ec);
        if (ec) return {};
        if (target.is_relative()) target = fs::path(dosdevices()) / target;
        return normalHostPath(target.string());
    }
    // A real folder in place of the link serves as the drive itself.
    return fs::is_directory(status) ? normalHostPath(link) : std::string();
}

std::vector<WinePrefix::Drive> WinePrefix::drives() const {
    std::vector<Drive> out;
    for (char c = 'a'; c <= 'z'; ++c) {
        std::string t = driveTarget(c);
        if (!t.empty()) out.push_back({static_cast<char>(std::toupper(static_cast<unsigned char>(c))), t});
    }
    return out;
}

}  // namespace qm::platform::wine
