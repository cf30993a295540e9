// The desktop's handlers on Linux: xdg-open for what has a handler, the
// usual graphical browsers for a web page, and nothing when there is no
// desktop to show them on. "Started" means a program that will show it:
// xdg-open without a handler falls back to text browsers, which show
// nothing to a user at a window.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Shell.h"
#include "platform/posix/Process.h"

namespace qm::platform {
namespace {

bool set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

bool hasDesktop() { return set("DISPLAY") || set("WAYLAND_DISPLAY"); }

// A program of that name on the PATH (or at that path).
bool onPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = folders.find(':', start);
        const std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

// The desktop's handler of a kind of content ("text/html"), by xdg-mime.
bool hasHandler(const std::string& mimeType) {
    if (!onPath("xdg-open") || !onPath("xdg-mime")) return false;
    const posix::ProcessResult run = posix::runProcess({"xdg-mime", "query", "default", mimeType}, "");
    return run.started && run.exitStatus == 0 && run.output.find_first_not_of(" \r\n") != std::string::npos;
}

bool start(const std::vector<std::string>& argv) {
    std::string why;
    return posix::startDetached(argv, why);
}

// The page in a graphical browser: the user's ($BROWSER), the desktop's
// handler, or one of the usual ones.
bool browse(const std::string& address, const std::string& mimeType) {
    if (!hasDesktop()) return false;
    if (const char* browsers = std::getenv("BROWSER"); browsers && *browsers) {
        const std::string list = browsers;
        std::size_t begin = 0;
        while (begin <= list.size()) {
            const std::size_t end = list.find(':', begin);
            const std::string browser = list.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
            if (!browser.empty() && onPath(browser)) return start({browser, address});
            if (end == std::string::npos) break;
            begin = end + 1;
        }
    }
    if (hasHandler(mimeType)) return start({"xdg-open", address});
    for (const char* browser : {"x-www-browser", "firefox", "firefox-esr", "chromium", "google-chrome", "epiphany"})
        if (onPath(browser)) return start({browser, address});
    return false;
}

class DesktopShell final : public Shell {
public:
    bool openFolder(const std::string& folder) override {
        struct stat st {};
        if (!hasDesktop() || stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        return hasHandler("inode/directory") && start({"xdg-open", folder});
    }
    bool openWebPage(const std::string& address) override {
        // Only web addresses: anything else would be opened as a file.
        if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) return false;
        return browse(address, "x-scheme-handler/https");
    }
    bool openHelp(const std::string& helpFile) override {
        struct stat st {};
        const std::string file = helpFile.substr(0, helpFile.find("::"));
        if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        return browse(file, "text/html");
    }
    bool openDocument(const std::string& file) override {
        struct stat st {};
        if (!hasDesktop() || stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        return start({"xdg-open", file});
    }
};

}  // namespace

std::unique_ptr<Shell> openShell() { return std::make_unique<DesktopShell>(); }

}  // namespace qm::platform
