#include "archive/HostFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

namespace qm::archive::detail {
namespace {

const char* const kPartMarker = ".qmpart-";
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
    int fd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
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

FileInfo statPath(const std::string& hostPath) {
    struct stat st;
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
    // Non-blocking only so that a FIFO cannot hang the open; regular files
    // ignore the flag, anything else is refused by the callers.
    int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    return true;
}

FileInfo HostFile::info() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return {};
    return fromStat(st);
}

std::int64_t HostFile::read(void* buffer, std::size_t length) {
    for (;;) {
        ssize_t n = ::read(fd_, buffer, length);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        error_ = errno;
        return -1;
    }
}

bool HostFile::writeAll(const void* data, std::size_t length) {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        ssize_t n = ::write(fd_, p, length);
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

bool HostFile::seek(std::int64_t offset, int whence) {
    if (::lseek(fd_, static_cast<off_t>(offset), whence) < 0) {
        error_ = errno;
        return false;
    }
    return true;
}

std::int64_t HostFile::tell() {
    off_t pos = ::lseek(fd_, 0, SEEK_CUR);
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

bool HostFile::setModified(std::int64_t seconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = 0;
    return ::futimens(fd_, times) == 0;
}

void HostFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool PartFile::create(const std::string& targetHostPath) {
    discard();
    target_ = targetHostPath;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = targetHostPath + kPartMarker + randomSuffix();
        // Mode 0666 so that the umask gives the file the usual permissions.
        int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            error_ = errno;
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            // Another run's clean-up got here first; try another name.
            ::close(fd);
            continue;
        }
        file_.fd_ = fd;
        path_ = candidate;
        return true;
    }
    error_ = EEXIST;
    return false;
}

bool PartFile::commit() {
    if (!file_.isOpen()) return false;
    if (!file_.sync()) {
        error_ = file_.error();
        return false;
    }
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        error_ = errno;
        return false;
    }
    path_.clear();
    std::string folder, name;
    splitHostPath(target_, folder, name);
    syncFolder(folder);
    file_.close();
    return true;
}

void PartFile::discard() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
    file_.close();
}

void removeLeftovers(const std::string& targetHostPath) {
    std::string folder, name;
    splitHostPath(targetHostPath, folder, name);
    const std::string prefix = name + kPartMarker;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> candidates;
    while (struct dirent* e = ::readdir(dir)) {
        std::string entry = e->d_name;
        if (entry.size() == prefix.size() + kPartRandomLength && entry.compare(0, prefix.size(), prefix) == 0)
            candidates.push_back(folder + "/" + entry);
    }
    ::closedir(dir);
    for (const std::string& path : candidates) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st;
        // A part file held by a running process stays.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
        ::close(fd);
    }
}

}  // namespace qm::archive::detail
