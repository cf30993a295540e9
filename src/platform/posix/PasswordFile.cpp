#include "platform/PasswordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qm::platform {
namespace {

// More than any password: the rest of a large file is not read.
constexpr std::size_t kMostBytes = 64 * 1024;

}  // namespace

bool readPasswordFile(const std::string& path, std::string& password, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = "cannot read the password file " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        why = "the password file " + path + " is a folder";
        return false;
    }
    // A named pipe others may open is read by whoever opens it first.
    if ((S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode)) && (st.st_mode & (S_IRGRP | S_IROTH)) != 0) {
        ::close(fd);
        why = "the password file " + path + " may be read by other users (mode " +
              std::to_string((st.st_mode >> 6) & 7) + std::to_string((st.st_mode >> 3) & 7) +
              std::to_string(st.st_mode & 7) + "): make it the owner's alone (chmod 600)";
        return false;
    }
    std::string text;
    char buffer[4096];
    while (text.size() < kMostBytes && text.find('\n') == std::string::npos) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = "cannot read the password file " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') text.pop_back();
    password = text;
    return true;
}

}  // namespace qm::platform
