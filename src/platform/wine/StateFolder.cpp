#include "platform/StateFolder.h"

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

std::string localTimeStamp() {
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace qm::platform
