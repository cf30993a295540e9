#include "platform/win32/Win32System.h"
#include "platform/win32/AnsiPaths.h"

#include <windows.h>

#include <cstdio>

namespace qm::platform::win32 {
namespace {

// The buffers start-up has always handed over; the callers cut and trim the
// text. The computer name gets all 256 bytes it is told it has (it was once
// given one byte less than its size argument claimed).
constexpr DWORD kComputerNameBuffer = 256;
constexpr DWORD kUserNameBuffer = 255;
constexpr DWORD kWindowsFolderBuffer = 255;
constexpr DWORD kExpandBuffer = 255;

std::string executableFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string folder(path, n);
    const auto slash = lastSeparator(folder);
    if (slash == std::string::npos) return {};
    // A drive root keeps its separator ("C:\").
    return slash == 2 && folder[1] == ':' ? folder.substr(0, 3) : folder.substr(0, slash);
}

}  // namespace

Win32System::Win32System(std::string workRoot, std::string programFolder)
    : workRoot_(std::move(workRoot)), programFolder_(std::move(programFolder)) {}

bool Win32System::GetComputerNameA(std::string& out) const {
    char buffer[kComputerNameBuffer] = {};
    DWORD size = kComputerNameBuffer;
    if (!::GetComputerNameA(buffer, &size)) return false;
    out.assign(buffer, size);
    return true;
}

bool Win32System::GetUserNameA(std::string& out) const {
    char buffer[kUserNameBuffer] = {};
    DWORD size = kUserNameBuffer;
    if (!::GetUserNameA(buffer, &size) || size == 0) return false;
    // The returned length counts the terminator.
    out.assign(buffer, size - 1);
    return true;
}

bool Win32System::GetWindowsDirectoryA(std::string& out) const {
    char buffer[kWindowsFolderBuffer] = {};
    // A folder longer than the buffer answers its needed size: a failure here,
    // not a text of whatever the buffer held.
    const UINT n = ::GetWindowsDirectoryA(buffer, kWindowsFolderBuffer);
    if (n == 0 || n >= kWindowsFolderBuffer) return false;
    out.assign(buffer, n);
    return true;
}

bool Win32System::GetVersionExA(OsVersion& out) const {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    // Deprecated for telling features apart, but what the program has always
    // read: Windows answers 6.2 to a program without a manifest on anything
    // newer, as it does for the Linux build.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL ok = ::GetVersionExA(&info);
#pragma GCC diagnostic pop
    if (!ok) return false;
    out.major = info.dwMajorVersion;
    out.minor = info.dwMinorVersion;
    out.build = info.dwBuildNumber;
    return true;
}

std::string Win32System::ExpandEnvironmentStringsA(const std::string& text) const {
    // The count answered includes the terminator. An expansion longer than
    // the buffer is not cut short: the buffer grows to the size asked for.
    DWORD size = kExpandBuffer;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string buffer(size, '\0');
        const DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), size);
        if (needed == 0) return text;
        if (needed <= size) {
            buffer.resize(needed - 1);
            return buffer;
        }
        size = needed;
    }
    return text;
}

void Win32System::Sleep(unsigned milliseconds) const { ::Sleep(milliseconds); }

std::string Win32System::programFolder() const {
    return programFolder_.empty() ? executableFolder() : programFolder_;
}

std::string Win32System::workFolderRoot() const {
    std::string root = workRoot_;
    if (root.empty()) {
        const std::string local = ExpandEnvironmentStringsA("%LOCALAPPDATA%");
        if (local.empty() || local[0] == '%') return {};
        root = local + "\\Quillmark";
    }
    // A failure shows when the folder is used.
    ::CreateDirectoryA(root.c_str(), nullptr);
    return root;
}

std::string Win32System::nowText() const {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    int hour = t.wHour % 12;
    if (hour == 0) hour = 12;
    char text[64];
    std::snprintf(text, sizeof text, "%u/%u/%u %d:%02u:%02u %s", t.wMonth, t.wDay, t.wYear, hour, t.wMinute,
                  t.wSecond, t.wHour < 12 ? "AM" : "PM");
    return text;
}

LocalDate Win32System::today() const {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay};
}

std::uint32_t Win32System::processId() const { return ::GetCurrentProcessId(); }

namespace {

// A mutex of the user's logon session, named for the user: Windows lets go
// of it when the process ends, however it ends.
class MutexRunLock final : public RunLock {
public:
    explicit MutexRunLock(HANDLE mutex) : mutex_(mutex) {}
    ~MutexRunLock() override {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }

private:
    HANDLE mutex_;
};

}  // namespace

std::unique_ptr<RunLock> Win32System::lockInstallation(std::string& why) {
    std::string user;
    GetUserNameA(user);
    std::string name = "Local\\QuillmarkRun-";
    for (char c : user.substr(0, user.find('\0'))) name += c == '\\' ? '_' : c;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!mutex) {
        why = "cannot make the run lock " + name + " (" + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    const DWORD got = WaitForSingleObject(mutex, 0);
    if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) {
        CloseHandle(mutex);
        why = "another run of this program is working for this user";
        return nullptr;
    }
    return std::make_unique<MutexRunLock>(mutex);
}

}  // namespace qm::platform::win32
