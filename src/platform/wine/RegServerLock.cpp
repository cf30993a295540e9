#include "platform/wine/RegServerLock.h"

#include "platform/posix/HostFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pwd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <random>

namespace qm::platform::wine {

// One open lock file; every registry of this process that edits the prefix
// shares it. Open file description locks: closing another descriptor of the
// same file in this process does not drop them, and they conflict with the
// server's classic fcntl lock.
class ServerLock {
public:
    ServerLock(int fd, std::vector<std::string> made) : fd_(fd), made_(std::move(made)) {}
    // What we made for the lock goes again (Wine makes it anew when it
    // starts); the lock file is removed while still held, so no server can
    // have taken it meanwhile.
    ~ServerLock() {
        if (!made_.empty()) unlink(made_.front().c_str());
        if (fd_ >= 0) close(fd_);
        for (size_t i = 1; i < made_.size(); ++i) rmdir(made_[i].c_str());
    }

private:
    int fd_;
    std::vector<std::string> made_;  // lock file, then folders inner first
};

namespace {

std::mutex& locksMutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, std::weak_ptr<ServerLock>>& liveLocks() {
    static std::map<std::string, std::weak_ptr<ServerLock>> m;
    return m;
}

std::string readName(const std::string& prefix) {
    // A plain file of a few bytes; anything else (a FIFO would block) names
    // no server.
    std::string name;
    if (!posix::readWholeHost(prefix + "/wineserver", name, 255)) return {};
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r' || name.back() == ' ')) name.pop_back();
    if (name.find('/') != std::string::npos || name == "." || name == "..") return {};
    return name;
}

std::string tmpBase() {
    const char* t = std::getenv("TMPDIR");
    return t && *t ? std::string(t) : std::string("/tmp");
}

std::string ownerName(uid_t uid) {
    if (const passwd* pw = getpwuid(uid); pw && pw->pw_name) return pw->pw_name;
    return "user " + std::to_string(uid);
}

// Why Wine would not use the folder (its own checks, made on the folder
// itself, links not followed); empty when it would, or it is not there.
std::string untrustedFolder(const std::string& folder) {
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) return {};
    if (!S_ISDIR(st.st_mode)) return folder + " is not a directory";
    if (st.st_uid != getuid()) return folder + " is owned by " + ownerName(st.st_uid) + ", not by you";
    if (st.st_mode & 077) return folder + " may be entered by other users";
    return {};
}

// Holder of a conflicting lock: its pid, -1 when unknown, 0 when free.
pid_t holder(const std::string& lockPath) {
    int fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return 0;
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    pid_t pid = 0;
    if (fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type != F_UNLCK) pid = fl.l_pid > 0 ? fl.l_pid : -1;
    close(fd);
    return pid;
}

bool makeFolder(const std::string& path, std::vector<std::string>& made, std::string& error) {
    if (mkdir(path.c_str(), 0700) == 0) {
        made.insert(made.begin(), path);
        return true;
    }
    if (errno == EEXIST) return true;
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
}

// Debian's Wine names the server folder by a random name kept in the prefix;
// write one as it would, so the server that starts later finds our lock.
void ensureServerName(const std::string& prefix) {
    std::string path = prefix + "/wineserver";
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) return;
    static const char chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rd;
    std::string name = "wine-";
    for (int i = 0; i < 6; ++i) name += chars[rd() % (sizeof chars - 1)];
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0400);
    if (fd < 0) return;
    ssize_t n = write(fd, name.data(), name.size());
    (void)n;
    close(fd);
}

}  // namespace

WineServerGuard::WineServerGuard(std::string prefix) : prefix_(std::move(prefix)) {}

std::vector<std::string> WineServerGuard::lockPaths() const {
    struct stat st {};
    if (stat(prefix_.c_str(), &st) != 0) return {};
    char server[64];
    std::snprintf(server, sizeof server, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::string uidName = ".wine-" + std::to_string(getuid());
    std::string named = readName(prefix_);
    std::vector<std::string> names;
    if (!named.empty()) names.push_back(named);
    if (named != uidName) names.push_back(uidName);
    std::vector<std::string> bases = {tmpBase()};
    if (bases[0] != "/tmp") bases.push_back("/tmp");
    std::vector<std::string> out;
    for (const auto& b : bases)
        for (const auto& n : names) out.push_back(b + "/" + n + "/" + server + "/lock");
    return out;
}

bool WineServerGuard::trusted(const std::string& lockPath) const {
    const std::string serverDir = lockPath.substr(0, lockPath.rfind('/'));
    const std::string nameDir = serverDir.substr(0, serverDir.rfind('/'));
    std::string why = untrustedFolder(nameDir);
    if (why.empty()) why = untrustedFolder(serverDir);
    if (why.empty()) return true;
    // No server of this user can be using it: Wine refuses such a folder.
    const std::string notice = "A Wine server lock for the prefix " + prefix_ + " in " + serverDir +
                               " was ignored: " + why + ", so Wine itself would not use it.";
    if (std::find(told_.begin(), told_.end(), notice) == told_.end()) {
        told_.push_back(notice);
        notices_.push_back(notice);
    }
    return false;
}

std::vector<std::string> WineServerGuard::takeNotices() {
    std::vector<std::string> out;
    out.swap(notices_);
    return out;
}

pid_t WineServerGuard::runningServer() const {
    if (lock_) return 0;  // we hold the lock: no server can run
    for (const auto& p : lockPaths()) {
        {
            std::lock_guard<std::mutex> g(locksMutex());
            auto it = liveLocks().find(p);
            if (it != liveLocks().end() && !it->second.expired()) return 0;
        }
        if (!trusted(p)) continue;
        if (pid_t pid = holder(p)) return pid;
    }
    return 0;
}

std::string WineServerGuard::serverMessage(pid_t pid) const {
    std::string who = pid > 0 ? "a wineserver (process " + std::to_string(pid) + ")" : "another program";
    return "The Wine prefix " + prefix_ + " is in use: " + who +
           " keeps its registry open and would overwrite any change. Close the Windows programs of that prefix "
           "(or run `WINEPREFIX=" + prefix_ + " wineserver -k`) and try again.";
}

std::string WineServerGuard::liveMessage() const {
    // Wine writes the registry it holds back to the files every 30 seconds.
    return "Wine programs are running in the prefix " + prefix_ +
           ": the registry read may be up to 30 s old and data files may be changing; close Outlook for a "
           "consistent backup.";
}

bool WineServerGuard::acquire(std::string& error) {
    if (lock_) return true;
    if (pid_t pid = runningServer()) {
        error = serverMessage(pid);
        return false;
    }
    ensureServerName(prefix_);
    auto paths = lockPaths();
    if (paths.empty()) {
        error = "cannot read the prefix folder " + prefix_;
        return false;
    }
    const std::string& lockPath = paths.front();
    std::lock_guard<std::mutex> g(locksMutex());
    auto& live = liveLocks()[lockPath];
    if (auto shared = live.lock()) {
        lock_ = shared;
        return true;
    }
    // Create the folders as the server would (private to the user).
    std::string serverDir = lockPath.substr(0, lockPath.rfind('/'));
    std::string nameDir = serverDir.substr(0, serverDir.rfind('/'));
    std::vector<std::string> made;
    auto undo = [&] {
        for (const auto& d : made) rmdir(d.c_str());
    };
    bool newLock = false;
    int fd = -1;
    // Another process letting go of its own lock removes the folders it
    // made once they are empty, possibly between two of our steps: a folder
    // or file found missing (or made meanwhile) is tried again.
    bool untrusted = false;
    for (int attempt = 0; attempt < 5 && fd < 0; ++attempt) {
        error.clear();
        // Nothing is made or opened in folders another user placed.
        if (!makeFolder(nameDir, made, error)) {
            if (errno == ENOENT) continue;
            break;
        }
        if ((untrusted = !trusted(lockPath))) break;
        if (!makeFolder(serverDir, made, error)) {
            if (errno == ENOENT) continue;
            break;
        }
        if ((untrusted = !trusted(lockPath))) break;
        fd = open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0 && errno == ENOENT) {
            fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            newLock = fd >= 0;
        }
        if (fd < 0) {
            error = "cannot open " + lockPath + ": " + std::strerror(errno);
            if (errno != ENOENT && errno != EEXIST) break;
        }
    }
    if (untrusted) {
        // No server of this user can start there (Wine refuses such
        // folders), so there is nothing to lock against.
        undo();
        error.clear();
        lock_ = std::make_shared<ServerLock>(-1, std::vector<std::string>{});
        live = lock_;
        return true;
    }
    if (fd < 0) {
        undo();
        return false;
    }
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        close(fd);
        pid_t pid = holder(lockPath);
        error = serverMessage(pid ? pid : -1);
        return false;
    }
    if (newLock) made.insert(made.begin(), lockPath);
    else made.clear();  // a folder in use by Wine stays
    lock_ = std::make_shared<ServerLock>(fd, std::move(made));
    live = lock_;
    return true;
}

void WineServerGuard::release() {
    if (!lock_) return;
    std::lock_guard<std::mutex> g(locksMutex());
    lock_.reset();
}

}  // namespace qm::platform::wine
