// The services of the Windows the program runs on.
#include <windows.h>

#include "platform/OpenPlatform.h"
#include "platform/win32/Utf16.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32OutlookProbe.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32System.h"

namespace qm::platform {

bool opensWinePrefix() { return false; }

InstallationPlace locateInstallation(const PlatformOptions& /*options*/) {
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size) || size == 0) return {};
    return {std::string(), win32::utf8(name)};
}

bool installationUsers(const std::string& /*prefix*/, std::vector<std::string>& users, std::string& /*why*/) {
    // This Windows, for the user who runs the program.
    users.clear();
    const std::string user = locateInstallation({}).user;
    if (!user.empty()) users.push_back(user);
    return true;
}

bool openPlatform(const PlatformOptions& options, Platform& out, std::string& error) {
    // The "A" functions speak the system's ANSI code page; ours must be it.
    auto codePage = std::make_unique<CodePage>();
    const std::string system = std::to_string(GetACP());
    if (!codePage->select(system)) {
        error = "the ANSI code page of this Windows (" + system + ") is not a single-byte code page";
        return false;
    }
    if (!options.codePage.empty()) {
        CodePage asked;
        if (!asked.select(options.codePage) || asked.name() != codePage->name()) {
            error = "code page \"" + options.codePage + "\" asked for, but this Windows uses " + system;
            return false;
        }
    }
    auto registry = std::make_unique<win32::Win32Registry>();
    auto files = std::make_unique<win32::Win32FileSystem>(*codePage);
    auto sys = std::make_unique<win32::Win32System>(codePage->fromUtf8(options.workRoot),
                                                    codePage->fromUtf8(options.programFolder));
    auto outlook = std::make_unique<win32::Win32OutlookProbe>(*registry);
    out.replace(std::move(codePage), std::move(registry), std::move(files), std::move(sys), std::move(outlook));
    return true;
}

}  // namespace qm::platform
