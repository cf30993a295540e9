#include "platform/StateFolder.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/Utf16.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"

namespace qm::platform {

bool openStateFolder(const PlatformOptions& options, StateFolder& out, std::string& why) {
    auto codePage = std::make_unique<CodePage>();
    if (!codePage->select(std::to_string(GetACP()))) {
        why = "the ANSI code page of this Windows is not one the program knows";
        return false;
    }
    // The same folder the installation's runs use.
    const win32::Win32System system(codePage->fromUtf8(options.workRoot), std::string());
    const std::string folder = system.workFolderRoot();
    if (folder.empty()) {
        why = "there is no state folder: LOCALAPPDATA is not set";
        return false;
    }
    out.files = std::make_unique<win32::Win32FileSystem>(*codePage);
    out.codePage = std::move(codePage);
    out.folder = folder;
    return true;
}

namespace {

class FileLock final : public RunLock {
public:
    explicit FileLock(HANDLE file) : file_(file) {}
    ~FileLock() override { ::CloseHandle(file_); }

private:
    HANDLE file_;
};

}  // namespace

std::unique_ptr<RunLock> tryStateLock(const PlatformOptions& options, const std::string& name, std::string& why) {
    StateFolder state;
    if (!openStateFolder(options, state, why)) return nullptr;
    state.files->createFolder(state.folder);
    const std::string path = state.folder + "\\" + name;
    const std::wstring widePath = win32::wide(state.codePage->toUtf8(path));
    // No sharing and not inherited: a second open fails until this one
    // closes, also in the jobs a catch-up starts.
    const HANDLE file = ::CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        why = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                  ? state.codePage->toUtf8(path) + " is held by another run"
                  : "cannot open " + state.codePage->toUtf8(path) + " (error " + std::to_string(error) + ")";
        return nullptr;
    }
    return std::make_unique<FileLock>(file);
}

std::string localTimeStamp() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

}  // namespace qm::platform
