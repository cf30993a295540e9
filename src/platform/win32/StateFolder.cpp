#include "platform/StateFolder.h"

#include <windows.h>

#include <cstdio>

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

std::string localTimeStamp() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

}  // namespace qm::platform
