#include "platform/PasswordFile.h"

#include <windows.h>

#include "platform/win32/Utf16.h"
#include "platform/win32/Win32Streams.h"

namespace qm::platform {
namespace {

// More than any password: the rest of a large file is not read.
constexpr DWORD kMostBytes = 64 * 1024;

}  // namespace

// Who may read the file is its access list's to say; the files this
// program makes for its jobs are its user's alone.
bool readPasswordFile(const std::string& path, std::string& password, std::string& why) {
    const HANDLE h = CreateFileW(win32::wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        why = "cannot read the password file " + path + ": " + win32::errorText(GetLastError());
        return false;
    }
    std::string text(kMostBytes, '\0');
    DWORD got = 0;
    const bool ok = ReadFile(h, text.data(), kMostBytes, &got, nullptr) != 0;
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (!ok) {
        why = "cannot read the password file " + path + ": " + win32::errorText(error);
        return false;
    }
    text.resize(got);
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') text.pop_back();
    password = text;
    return true;
}

}  // namespace qm::platform
