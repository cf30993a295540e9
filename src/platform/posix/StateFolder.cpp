#include "platform/posix/StateFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qm::platform::posix {

std::string stateFolder() {
    // Relative values of XDG variables are to be ignored.
    if (const char* s = std::getenv("XDG_STATE_HOME"); s && s[0] == '/') return std::string(s) + "/quillmark";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) home = h;
    if (home.empty())
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    return home.empty() ? std::string() : home + "/.local/state/quillmark";
}

bool makePrivateFolders(const std::string& folder, std::string& why, int owner) {
    if (folder.empty() || folder[0] != '/') {
        why = "no folder to keep the program's state in (HOME is not set)";
        return false;
    }
    const uid_t user = owner >= 0 ? static_cast<uid_t>(owner) : ::geteuid();
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string level = folder.substr(0, slash);
        if (::mkdir(level.c_str(), 0700) == 0) {
            if (owner >= 0 && ::chown(level.c_str(), user, static_cast<gid_t>(-1)) != 0) {
                why = "cannot give the folder " + level + " to its user: " + std::strerror(errno);
                return false;
            }
        } else if (errno != EEXIST) {
            why = "cannot make the folder " + level + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = folder + " is not a folder";
        return false;
    }
    if (st.st_uid != user && st.st_uid != ::geteuid()) {
        why = folder + " belongs to another user";
        return false;
    }
    return true;
}

}  // namespace qm::platform::posix
