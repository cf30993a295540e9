#include "platform/posix/HostLinks.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

namespace qm::platform::posix {
namespace {

namespace fs = std::filesystem;

// Links followed on one path at most, as the kernel counts them.
constexpr int kMaxLinks = 40;

bool inside(const std::string& path, const std::string& folder) {
    if (folder.empty()) return false;
    if (folder == "/") return true;
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/');
}

std::string join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string canonical(const std::string& path) {
    std::error_code ec;
    const std::string c = fs::weakly_canonical(path, ec).lexically_normal().string();
    if (ec) return path;
    return c.size() > 1 && c.back() == '/' ? c.substr(0, c.size() - 1) : c;
}

std::string ownHome() {
    const char* h = std::getenv("HOME");
    std::string home = h && *h ? h : "";
    if (home.empty())
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    return home.empty() || home == "/" ? std::string() : canonical(home);
}

// The running user's own: below the home folder, or (for another user than
// root, whose folders are the system's) in a folder that user owns.
bool ownFolder(const std::string& path) {
    const std::string home = ownHome();
    if (!home.empty() && inside(path, home)) return true;
    if (getuid() == 0) return false;
    std::string folder = path;
    struct stat st {};
    while (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (folder == "/") return false;
        folder = parentOf(folder);
    }
    return st.st_uid == getuid();
}

std::string userName(uid_t uid) {
    if (const passwd* pw = getpwuid(uid); pw && pw->pw_name) return pw->pw_name;
    return "user " + std::to_string(uid);
}

// Whether the user could read the file or list the folder himself.
bool readableBy(uid_t uid, const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return true;  // nothing there to read
    if (st.st_uid == uid) return (st.st_mode & S_IRUSR) != 0;
    const passwd* pw = getpwuid(uid);
    if (pw) {
        int count = 64;
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        if (getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &count) < 0) {
            groups.resize(static_cast<std::size_t>(count));
            getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &count);
        }
        groups.resize(static_cast<std::size_t>(count > 0 ? count : 0));
        for (gid_t g : groups)
            if (g == st.st_gid) return (st.st_mode & S_IRGRP) != 0;
    }
    return (st.st_mode & S_IROTH) != 0;
}

// One link at `link` (already lstat'ed) to `target` as read from it.
bool judge(const std::string& link, const struct stat& ls, const std::string& target, const std::string& within,
           LinkUse use, std::string& why) {
    if (!inside(link, within) || ls.st_uid == getuid() || ls.st_uid == 0) return true;
    const std::string destination =
        canonical(target.empty() || target[0] == '/' ? target : join(parentOf(link), target));
    const std::string who = userName(ls.st_uid);
    if (use == LinkUse::Write) {
        if (inside(destination, within) || ownFolder(destination)) return true;
        why = link + " is a link " + who + " made to " + destination +
              ", outside the Wine prefix: it is not followed to write there";
        return false;
    }
    // Wherever it leads: that user must not read through us what they
    // could not read themselves.
    if (!readableBy(ls.st_uid, destination)) {
        why = link + " is a link " + who + " made to " + destination + ", which " + who +
              " may not read: it is not followed";
        return false;
    }
    return true;
}

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

bool linkAllows(const std::string& linkPath, const std::string& within, LinkUse use, std::string& why) {
    struct stat ls {};
    if (lstat(linkPath.c_str(), &ls) != 0 || !S_ISLNK(ls.st_mode)) return true;
    std::error_code ec;
    const std::string target = fs::read_symlink(linkPath, ec).string();
    if (ec) return true;
    return judge(canonical(parentOf(linkPath)) + "/" + linkPath.substr(linkPath.rfind('/') + 1), ls, target, within,
                 use, why);
}

namespace {

// Where the walk to a folder ended: the folder reached, links followed
// included, and the other users whose links led there.
struct Reached {
    std::string at;
    std::vector<std::pair<std::string, uid_t>> through;
};

// The last folders walked, for a moment: a run reads and writes many files
// of one folder in a row. (A link swapped between a check and the use that
// follows it is not caught either way.)
class RecentFolders {
public:
    const Reached* find(const std::string& key) {
        const auto now = std::chrono::steady_clock::now();
        for (const Entry& e : entries_)
            if (e.key == key && now < e.until) return &e.reached;
        return nullptr;
    }
    void keep(const std::string& key, const Reached& reached) {
        entries_[next_] = {key, reached, std::chrono::steady_clock::now() + kFor};
        next_ = (next_ + 1) % entries_.size();
    }

private:
    static constexpr auto kFor = std::chrono::milliseconds(500);
    struct Entry {
        std::string key;
        Reached reached;
        std::chrono::steady_clock::time_point until;
    };
    std::array<Entry, 8> entries_{};
    std::size_t next_ = 0;
};

thread_local RecentFolders recentFolders;

// Walks `names` (the next one last) from `reached`. False, with the reason,
// at a link that may not be followed.
bool walk(Reached& reached, std::vector<std::string> todo, const std::string& within, LinkUse use, bool followLast,
          std::string& why) {
    std::string& at = reached.at;
    int links = 0;
    while (!todo.empty()) {
        const std::string name = todo.back();
        todo.pop_back();
        if (name == ".") continue;
        if (name == "..") {
            at = parentOf(at);
            continue;
        }
        const std::string next = join(at, name);
        struct stat ls {};
        // Nothing further exists: no link to follow.
        if (lstat(next.c_str(), &ls) != 0) {
            at = next;
            for (auto it = todo.rbegin(); it != todo.rend(); ++it) at = join(at, *it);
            return true;
        }
        if (!S_ISLNK(ls.st_mode) || (todo.empty() && !followLast)) {
            at = next;
            continue;
        }
        // A loop is the kernel's to refuse.
        if (++links > kMaxLinks) return true;
        std::error_code ec;
        const std::string target = fs::read_symlink(next, ec).string();
        if (ec) return true;
        if (!judge(next, ls, target, within, use, why)) return false;
        if (inside(next, within) && ls.st_uid != getuid() && ls.st_uid != 0)
            reached.through.emplace_back(next, ls.st_uid);
        if (!target.empty() && target[0] == '/') at = "/";
        std::vector<std::string> more = components(target);
        for (auto it = more.rbegin(); it != more.rend(); ++it) todo.push_back(*it);
    }
    return true;
}

}  // namespace

bool linksAllow(const std::string& hostPath, const std::string& within, LinkUse use, bool followLast,
                std::string& why) {
    if (hostPath.empty() || hostPath[0] != '/') return true;
    std::vector<std::string> names = components(hostPath);
    if (names.empty()) return true;
    const std::string last = names.back();
    names.pop_back();
    std::string folder;
    for (const auto& n : names) folder += "/" + n;
    if (folder.empty()) folder = "/";

    // The folder: walked anew, or as it was found a moment ago.
    const std::string key = std::string(use == LinkUse::Read ? "r" : "w") + within + '\0' + folder;
    Reached reached;
    if (const Reached* known = recentFolders.find(key)) {
        reached = *known;
    } else {
        // The folder judged is known to hold no link on the way to it: the
        // walk starts there when the path lies in it.
        reached.at = "/";
        std::string rest = folder;
        if (within.size() > 1 && inside(folder, within)) {
            reached.at = within;
            rest = folder.substr(within.size());
        }
        std::vector<std::string> todo = components(rest);
        std::reverse(todo.begin(), todo.end());
        if (!walk(reached, todo, within, use, true, why)) return false;
        recentFolders.keep(key, reached);
    }
    if (!walk(reached, {last}, within, use, followLast, why)) return false;
    // What is read at the end must be readable by each user whose link led
    // there.
    if (use == LinkUse::Read) {
        for (const auto& [link, uid] : reached.through) {
            if (readableBy(uid, reached.at)) continue;
            why = link + " is a link " + userName(uid) + " made, through which " + reached.at +
                  " would be read, which " + userName(uid) + " may not read: it is not followed";
            return false;
        }
    }
    return true;
}

}  // namespace qm::platform::posix
