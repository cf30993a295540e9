#pragma once
// The wineserver of a prefix and its lock. A running server keeps the
// registry in memory and writes it back later, over any edit made to the
// files meanwhile; it holds an fcntl lock on the "lock" file of its server
// folder, ${TMPDIR:-/tmp}/<name>/server-<dev>-<ino>/, where <name> is the
// text of the prefix's "wineserver" file (Debian) or ".wine-<uid>". As Wine
// itself, a lock is trusted only in folders that are the running user's own
// and that no one else may enter: one that another user could have placed
// there is ignored, with a notice.
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qm::platform::wine {

class ServerLock;

class WineServerGuard {
public:
    explicit WineServerGuard(std::string prefix);

    // Pid of a live server for the prefix (-1 for a holder of unknown pid),
    // 0 when none runs.
    pid_t runningServer() const;
    // Takes the server lock (shared by every registry of this process on
    // the same prefix), so no server can start until release(). False with
    // `error` when a server runs or the lock cannot be had.
    bool acquire(std::string& error);
    void release();
    bool held() const { return lock_ != nullptr; }

    // The message for a running server.
    std::string serverMessage(pid_t pid) const;
    // What a server running while the prefix is read means for a backup.
    std::string liveMessage() const;

    // The lock files a server of this prefix may hold (first: the one Wine
    // would use now).
    std::vector<std::string> lockPaths() const;

    // What was ignored since the last call (each told once).
    std::vector<std::string> takeNotices();

private:
    // True when the folders of the lock file are such as Wine uses; else
    // false, with a notice, when they are there.
    bool trusted(const std::string& lockPath) const;

    std::string prefix_;
    std::shared_ptr<ServerLock> lock_;
    mutable std::vector<std::string> notices_;
    mutable std::vector<std::string> told_;
};

}  // namespace qm::platform::wine
