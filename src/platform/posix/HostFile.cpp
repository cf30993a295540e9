#include "platform/posix/HostFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "platform/ReplacementNames.h"

namespace qm::platform::posix {
namespace {

constexpr std::size_t kPartRandomLength = 6;

FileInfo fromStat(const struct stat& st) {
    FileInfo info;
    info.exists = true;
    info.regular = S_ISREG(st.st_mode);
    info.directory = S_ISDIR(st.st_mode);
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.mtimeSec = st.st_mtim.tv_sec;
    info.mtimeNsec = st.st_mtim.tv_nsec;
    info.device = st.st_dev;
    info.inode = st.st_ino;
    return info;
}

std::string randomSuffix() {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 engine{std::random_device{}() ^ (static_cast<std::uint64_t>(getpid()) << 32)};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(alphabet) - 2);
    std::string s;
    for (std::size_t i = 0; i < kPartRandomLength; ++i) s += alphabet[pick(engine)];
    return s;
}

bool syncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
}

int whenceOf(SeekFrom from) {
    switch (from) {
    case SeekFrom::Begin: return SEEK_SET;
    case SeekFrom::Current: return SEEK_CUR;
    case SeekFrom::End: return SEEK_END;
    }
    return SEEK_SET;
}

std::string joinFolder(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace

void splitHostPath(const std::string& hostPath, std::string& folder, std::string& name) {
    const std::size_t slash = hostPath.find_last_of('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = hostPath;
    } else {
        folder = slash == 0 ? "/" : hostPath.substr(0, slash);
        name = hostPath.substr(slash + 1);
    }
}

FileInfo statHost(const std::string& hostPath) {
    struct stat st {};
    if (::stat(hostPath.c_str(), &st) != 0) return {};
    return fromStat(st);
}

bool HostFile::openRead(const std::string& hostPath) {
    close();
    fd_ = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    return true;
}

FileInfo HostFile::info() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return {};
    return fromStat(st);
}

std::int64_t HostFile::read(void* buffer, std::size_t length) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, length);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        error_ = errno;
        return -1;
    }
}

bool HostFile::writeAll(const void* data, std::size_t length) {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd_, p, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            return false;
        }
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool HostFile::seek(std::int64_t offset, SeekFrom from) {
    if (::lseek(fd_, static_cast<off_t>(offset), whenceOf(from)) < 0) {
        error_ = errno;
        return false;
    }
    return true;
}

std::int64_t HostFile::tell() {
    const off_t pos = ::lseek(fd_, 0, SEEK_CUR);
    if (pos < 0) error_ = errno;
    return pos;
}

bool HostFile::sync() {
    if (::fsync(fd_) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

bool HostFile::restrictToOwner() {
    if (::fchmod(fd_, 0600) == 0) return true;
    error_ = errno;
    return false;
}

bool HostFile::setModified(std::int64_t seconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = 0;
    if (::futimens(fd_, times) == 0) return true;
    error_ = errno;
    return false;
}

void HostFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string HostFile::error() const { return error_ ? std::strerror(error_) : std::string(); }

namespace {

std::string kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    return "no regular file";
}

unsigned ownerBoundedMode(unsigned mode) {
    const unsigned owner = (mode >> 6) & 7;
    return (mode & 0700) | (mode & 070 & (owner << 3)) | (mode & 07 & owner);
}

}  // namespace

bool ReplacementFile::create(const std::string& targetHostPath, bool ownerOnly) {
    discard();
    target_ = targetHostPath;
    error_ = 0;
    what_.clear();
    // What is replaced is what the rename replaces: the name itself, never
    // what a link there leads to.
    struct stat old {};
    bool replaces = false;
    if (::lstat(targetHostPath.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            what_ = targetHostPath + " is " + kindOfFile(old.st_mode) + ", not a regular file: it is not replaced";
            return false;
        }
        // Never write into another user's file, nor give its rights (or its
        // owner) to ours.
        if (old.st_uid != ::geteuid()) {
            what_ = targetHostPath + " belongs to another user: it is not replaced";
            return false;
        }
        replaces = true;
    } else if (errno != ENOENT) {
        error_ = errno;
        what_ = "cannot look at " + targetHostPath;
        return false;
    }
    std::string folder, name;
    splitHostPath(targetHostPath, folder, name);
    const std::string start = joinFolder(folder, partNameStartUtf8(name, kPartRandomLength));
    // A new file is its owner's alone; one that replaces a file keeps who may
    // read it, but never grants the group or others more than the owner.
    const mode_t mode = replaces    ? static_cast<mode_t>(ownerBoundedMode(old.st_mode & 0777))
                        : ownerOnly ? 0600
                                    : static_cast<mode_t>(newFileMode(targetHostPath));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = start + randomSuffix();
        // A replacement gets its rights for others only once it is ours and
        // locked; a new file takes the umask.
        const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              replaces ? mode & 0700 : mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            error_ = errno;
            what_ = "cannot create a new file beside " + targetHostPath;
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            // Another run's clean-up got here first; try another name.
            ::close(fd);
            continue;
        }
        file_.fd_ = fd;
        path_ = candidate;
        // The group's rights are for the group the earlier file had; where
        // the new one cannot have that group, they go.
        mode_t kept = mode;
        if (replaces && (mode & 070) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0)
            kept &= ~static_cast<mode_t>(070);
        if (replaces && (kept & 077) != 0 && ::fchmod(fd, kept) != 0) {
            error_ = errno;
            what_ = "cannot give " + candidate + " the mode of " + targetHostPath;
            discard();
            return false;
        }
        return true;
    }
    error_ = EEXIST;
    what_ = "cannot create a new file beside " + targetHostPath;
    return false;
}

bool ReplacementFile::commit() {
    if (!file_.isOpen()) return false;
    if (!file_.sync()) {
        error_ = file_.error_;
        what_ = "cannot flush " + path_;
        return false;
    }
    if (beforeRenameHook() && !beforeRenameHook()(path_)) {
        error_ = 0;
        what_ = "the replacement of " + target_ + " was interrupted";
        return false;
    }
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        error_ = errno;
        what_ = "cannot rename " + path_ + " into place";
        return false;
    }
    path_.clear();
    std::string folder, name;
    splitHostPath(target_, folder, name);
    syncFolder(folder);
    file_.close();
    return true;
}

std::string ReplacementFile::keep() {
    if (!file_.isOpen() || path_.empty()) return {};
    if (!file_.sync()) {
        error_ = file_.error_;
        what_ = "cannot flush " + path_;
        discard();
        return {};
    }
    file_.close();
    std::string kept;
    kept.swap(path_);
    return kept;
}

void ReplacementFile::discard() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
    file_.close();
}

std::string ReplacementFile::error() const {
    if (what_.empty()) return file_.error();
    return error_ ? what_ + ": " + std::strerror(error_) : what_;
}

void removeStaleReplacements(const std::string& targetHostPath) {
    std::string folder, name;
    splitHostPath(targetHostPath, folder, name);
    const std::string prefix = partNameStartUtf8(name, kPartRandomLength);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> candidates;
    while (const struct dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        if (entry.size() == prefix.size() + kPartRandomLength && entry.compare(0, prefix.size(), prefix) == 0)
            candidates.push_back(joinFolder(folder, entry));
    }
    ::closedir(dir);
    for (const std::string& path : candidates) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        // A file held by a running process stays.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
}

unsigned newFileMode(const std::string& hostPath) {
    std::string folder, name;
    splitHostPath(hostPath, folder, name);
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0 && (st.st_mode & 077) == 0) return 0600;
    return 0666;
}

namespace {

class HostFolderClaim final : public FolderClaim {
public:
    explicit HostFolderClaim(int fd) : fd_(fd) {}
    ~HostFolderClaim() override { ::close(fd_); }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<FolderClaim> createPrivateHostFolder(const std::string& hostPath) {
    if (::mkdir(hostPath.c_str(), 0700) != 0) return nullptr;
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat held {}, now {};
    // Another run's clean-up may have taken the new folder for a leftover
    // before it was locked: then it is no longer the one at the path.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 || ::lstat(hostPath.c_str(), &now) != 0 ||
        held.st_dev != now.st_dev || held.st_ino != now.st_ino || ::fchmod(fd, 0700) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<HostFolderClaim>(fd);
}

std::unique_ptr<FolderClaim> claimHostFolder(const std::string& hostPath) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<HostFolderClaim>(fd);
}

bool removeUnclaimedHostFolder(const std::string& hostPath) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    const int listing = ::dup(fd);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    bool emptied = dir != nullptr;
    while (dir) {
        const struct dirent* e = ::readdir(dir);
        if (!e) break;
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode) ||
            ::unlinkat(fd, name.c_str(), 0) != 0)
            emptied = false;
    }
    if (dir) ::closedir(dir);
    const bool removed = emptied && ::rmdir(hostPath.c_str()) == 0;
    ::close(fd);
    return removed;
}

bool readWholeHost(const std::string& hostPath, std::string& bytes, std::uint64_t maxBytes) {
    HostFile file;
    if (!file.openRead(hostPath)) return false;
    const FileInfo info = file.info();
    if (!info.regular) {
        errno = 0;
        return false;
    }
    if (info.size > maxBytes) {
        errno = EFBIG;
        return false;
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(info.size));
    char buffer[65536];
    for (;;) {
        const std::int64_t n = file.read(buffer, sizeof buffer);
        if (n < 0) return false;  // errno from the read
        if (n == 0) break;
        if (static_cast<std::uint64_t>(n) > maxBytes - data.size()) {
            errno = EFBIG;
            return false;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    bytes = std::move(data);
    return true;
}

bool writeWholeAtomically(const std::string& hostPath, const std::string& bytes, std::string& error) {
    ReplacementFile part;
    if (!part.create(hostPath) || !part.file().writeAll(bytes.data(), bytes.size()) || !part.commit()) {
        error = part.error();
        return false;
    }
    return true;
}

std::function<bool(const std::string&)>& beforeRenameHook() {
    static std::function<bool(const std::string&)> hook;
    return hook;
}

}  // namespace qm::platform::posix
