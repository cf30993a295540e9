#include "platform/StateFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "platform/posix/StateFolder.h"
#include "platform/wine/WineFileSystem.h"
#include "platform/wine/WinePrefix.h"

namespace qm::platform {

bool openStateFolder(const PlatformOptions& options, StateFolder& out, std::string& why) {
    const std::string host = options.workRoot.empty() ? posix::stateFolder() : options.workRoot;
    if (host.empty()) {
        why = "there is no state folder: neither XDG_STATE_HOME nor HOME is set";
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(host, ec);  // a failure shows when the folder is used
    out.codePage = std::make_unique<CodePage>();
    // No prefix: every host path is reached as Wine names one no drive
    // reaches (\\?\unix\...).
    out.files = std::make_unique<wine::WineFileSystem>(wine::WinePrefix(std::string()), *out.codePage);
    out.folder = out.files->windowsPath(wine::absoluteHostPath(host));
    return true;
}

namespace {

class FileLock final : public RunLock {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override { ::close(fd_); }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<RunLock> tryStateLock(const PlatformOptions& options, const std::string& name, std::string& why) {
    const std::string host = options.workRoot.empty() ? posix::stateFolder() : options.workRoot;
    if (!posix::makePrivateFolders(host, why)) return nullptr;
    const std::string path = host + "/" + name;
    // Close-on-exec: the jobs a catch-up starts must not hold it on.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        why = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        why = error == EWOULDBLOCK ? path + " is held by another run"
                                   : "cannot lock " + path + ": " + std::strerror(error);
        return nullptr;
    }
    return std::make_unique<FileLock>(fd);
}

std::string localTimeStamp() {
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace qm::platform
