#include "platform/wine/WineSystem.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>

#include "platform/CodePage.h"
#include "platform/RegistryAccess.h"

namespace qm::platform::wine {
namespace {

constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::size_t kMaxComputerName = 15;

bool queryDword(Registry& reg, KeyHandle root, const std::string& sub, const std::string& name, std::uint32_t& out) {
    RegType type = RegType::None;
    std::string bytes;
    if (readValue(reg, root, sub, name, type, bytes) != RegStatus::Success || type != RegType::Dword || bytes.size() != 4) return false;
    out = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0])) |
          static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[1])) << 8 |
          static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2])) << 16 |
          static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3])) << 24;
    return true;
}

bool parseNumber(const std::string& text, std::uint32_t& out) {
    if (text.empty() || text.size() > 9) return false;
    for (char ch : text)
        if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
    out = static_cast<std::uint32_t>(std::stoul(text));
    return true;
}

// "6.1" -> 6, 1.
bool parseVersion(const std::string& text, std::uint32_t& major, std::uint32_t& minor) {
    auto dot = text.find('.');
    if (dot == std::string::npos) return false;
    return parseNumber(text.substr(0, dot), major) && parseNumber(text.substr(dot + 1), minor);
}

// The names winecfg stores as "Version" under Software\Wine.
struct NamedVersion {
    const char* name;
    OsVersion version;
};
constexpr NamedVersion kWineVersionNames[] = {
    {"win11", {10, 0, 22000}},   {"win10", {10, 0, 18362}},   {"win81", {6, 3, 9600}},
    {"win8", {6, 2, 9200}},      {"win2008r2", {6, 1, 7601}}, {"win7", {6, 1, 7601}},
    {"win2008", {6, 0, 6002}},   {"vista", {6, 0, 6002}},     {"win2003", {5, 2, 3790}},
    {"winxp64", {5, 2, 3790}},   {"winxp", {5, 1, 2600}},     {"win2k", {5, 0, 2195}},
    {"nt40", {4, 0, 1381}},      {"winme", {4, 90, 3000}},    {"win98", {4, 10, 2222}},
    {"win95", {4, 0, 950}},
};

bool namedVersion(std::string name, OsVersion& out) {
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (const auto& v : kWineVersionNames)
        if (name == v.name) {
            out = v.version;
            return true;
        }
    return false;
}

std::string upperAscii(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

bool sameName(const std::string& a, const std::string& b) { return upperAscii(a) == upperAscii(b); }

std::string executableFolder() {
    const std::string exe = executablePath();
    return exe.empty() ? exe : std::filesystem::path(exe).parent_path().string();
}

std::string defaultWorkRoot() {
    // Relative values of XDG variables are to be ignored.
    if (const char* s = std::getenv("XDG_STATE_HOME"); s && s[0] == '/') return std::string(s) + "/quillmark";
    std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.local/state/quillmark";
}

}  // namespace

WineSystem::WineSystem(Registry& registry, const WineFileSystem& files, const std::string& userName,
                       const std::string& workRoot, const std::string& programFolder)
    : registry_(registry),
      files_(files),
      user_(files.codePage().fromUtf8(userName.empty() ? hostUserName() : userName)),
      workRoot_(workRoot.empty() ? defaultWorkRoot() : workRoot),
      programHost_(programFolder.empty() ? executableFolder() : programFolder) {}

std::string WineSystem::computerNameFor(const std::string& hostName) {
    std::string name = upperAscii(hostName.substr(0, hostName.find('.')));
    return name.substr(0, kMaxComputerName);
}

bool WineSystem::GetComputerNameA(std::string& out) const {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return false;
    std::string name = computerNameFor(files_.codePage().fromUtf8(host));
    if (name.empty()) return false;
    out = name;
    return true;
}

bool WineSystem::GetUserNameA(std::string& out) const {
    if (user_.empty()) return false;
    out = user_;
    return true;
}

bool WineSystem::GetWindowsDirectoryA(std::string& out) const {
    out = "C:\\windows";
    return true;
}

bool WineSystem::GetVersionExA(OsVersion& out) const {
    // Wine takes the version winecfg chose for the program or for all
    // programs, and otherwise what the prefix's registry says.
    OsVersion v;
    std::string named;
    const bool chosen =
        (readString(registry_, RootKey::CurrentUser, "Software\\Wine\\AppDefaults\\quillmark.exe", "Version", named) &&
         namedVersion(named, v)) ||
        (readString(registry_, RootKey::CurrentUser, "Software\\Wine", "Version", named) && namedVersion(named, v));
    if (!chosen) {
        std::string text;
        bool known = queryDword(registry_, RootKey::LocalMachine, kCurrentVersionKey, "CurrentMajorVersionNumber",
                                v.major) &&
                     queryDword(registry_, RootKey::LocalMachine, kCurrentVersionKey, "CurrentMinorVersionNumber",
                                v.minor);
        if (!known)
            known = readString(registry_, RootKey::LocalMachine, kCurrentVersionKey, "CurrentVersion", text) &&
                    parseVersion(text, v.major, v.minor);
        if (known) {
            v.build = 0;
            if (!(readString(registry_, RootKey::LocalMachine, kCurrentVersionKey, "CurrentBuildNumber", text) &&
                  parseNumber(text, v.build)) &&
                readString(registry_, RootKey::LocalMachine, kCurrentVersionKey, "CurrentBuild", text))
                parseNumber(text, v.build);
        } else {
            v = {6, 1, 7601};  // what a fresh prefix says
        }
    }
    // A program whose manifest does not claim Windows 8.1 or later is told
    // Windows 8 (6.2.9200) on anything newer, by Windows and by Wine alike.
    if (v.major > 6 || (v.major == 6 && v.minor >= 2)) v = {6, 2, 9200};
    out = v;
    return true;
}

std::vector<std::pair<std::string, std::string>> WineSystem::environment() const {
    std::string computer;
    GetComputerNameA(computer);
    const std::string profile = "C:\\users\\" + user_;
    return {
        {"ALLUSERSPROFILE", "C:\\ProgramData"},
        {"APPDATA", profile + "\\AppData\\Roaming"},
        {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
        {"CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files"},
        {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
        {"COMPUTERNAME", computer},
        {"ComSpec", "C:\\windows\\system32\\cmd.exe"},
        {"HOMEDRIVE", "C:"},
        {"HOMEPATH", "\\users\\" + user_},
        {"LOCALAPPDATA", profile + "\\AppData\\Local"},
        {"LOGONSERVER", "\\\\" + computer},
        {"OS", "Windows_NT"},
        {"PATH", "C:\\windows\\system32;C:\\windows;C:\\windows\\system32\\wbem;"
                 "C:\\windows\\system32\\WindowsPowershell\\v1.0"},
        {"PATHEXT", ".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC"},
        {"ProgramData", "C:\\ProgramData"},
        {"ProgramFiles", "C:\\Program Files"},
        {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
        {"ProgramW6432", "C:\\Program Files"},
        {"PUBLIC", "C:\\users\\Public"},
        {"SystemDrive", "C:"},
        {"SystemRoot", "C:\\windows"},
        {"TEMP", profile + "\\Temp"},
        {"TMP", profile + "\\Temp"},
        {"USERDOMAIN", computer},
        {"USERNAME", user_},
        {"USERPROFILE", profile},
        {"windir", "C:\\windows"},
    };
}

std::string WineSystem::ExpandEnvironmentStringsA(const std::string& text) const {
    const auto env = environment();
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            std::size_t next = text.find('%', i);
            if (next == std::string::npos) next = text.size();
            out.append(text, i, next - i);
            i = next;
            continue;
        }
        std::size_t close = text.find('%', i + 1);
        if (close == std::string::npos) {  // no closing sign: copied as it is
            out.append(text, i, std::string::npos);
            break;
        }
        const std::string name = text.substr(i + 1, close - i - 1);
        const std::string* value = nullptr;
        for (const auto& [n, v] : env)
            if (!name.empty() && !v.empty() && sameName(n, name)) value = &v;  // empty: not set
        if (value)
            out += *value;
        else
            out.append(text, i, close - i + 1);  // unknown: stays as written
        i = close + 1;
    }
    return out;
}

void WineSystem::Sleep(unsigned milliseconds) const {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string WineSystem::programFolder() const {
    return programHost_.empty() ? std::string() : files_.windowsPath(programHost_);
}

std::string WineSystem::workFolderRoot() const {
    if (workRoot_.empty()) return {};
    std::error_code ec;
    std::filesystem::create_directories(workRoot_, ec);  // a failure shows when the folder is used
    return files_.windowsPath(workRoot_);
}

std::string WineSystem::formatTime(const struct tm& t) {
    int hour = t.tm_hour % 12;
    if (hour == 0) hour = 12;
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d %s", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900, hour,
                  t.tm_min, t.tm_sec, t.tm_hour < 12 ? "AM" : "PM");
    return text;
}

LocalDate WineSystem::today() const {
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string WineSystem::nowText() const {
    std::time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return formatTime(local);
}

std::uint32_t WineSystem::processId() const { return static_cast<std::uint32_t>(getpid()); }

namespace {

// The prefix's folder, held with flock(): the kernel lets go of it when the
// process ends, however it ends.
class PrefixRunLock final : public RunLock {
public:
    explicit PrefixRunLock(int fd) : fd_(fd) {}
    ~PrefixRunLock() override { ::close(fd_); }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<RunLock> WineSystem::lockInstallation(std::string& why) {
    // The prefix folder itself is locked: nothing is made in it, and whoever
    // may read the prefix may take it.
    const std::string& prefix = files_.prefix().path();
    const int fd = ::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        why = "cannot open the Wine prefix " + prefix + ": " + std::strerror(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        why = "another run of this program is working on the Wine prefix " + prefix;
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PrefixRunLock>(fd);
}

}  // namespace qm::platform::wine
