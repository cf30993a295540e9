#include "platform/OutlookRegistration.h"

#include <cctype>

#include "platform/RegistryAccess.h"

namespace qm::platform {

bool outlookVersionFromProgId(const std::string& progId, std::string& text) {
    std::string id = progId;
    while (!id.empty() && std::isspace(static_cast<unsigned char>(id.back()))) id.pop_back();
    const auto dot = id.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string number = id.substr(dot + 1);
    if (number.empty() || number.size() > 4) return false;
    for (char c : number)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    text = number + ".0";
    return true;
}

bool registeredOutlookVersion(Registry& registry, std::string& text) {
    // A registration for this user overrides the machine's, as in HKCR.
    static constexpr const char* kCurVer = "Outlook.Application\\CurVer";
    std::string progId;
    // A 32-bit Outlook's installer registers it in the 32-bit view of a
    // 64-bit Windows.
    bool found = readString(registry, RootKey::CurrentUser, std::string("Software\\Classes\\") + kCurVer, "", progId) ||
                 readString(registry, RootKey::ClassesRoot, kCurVer, "", progId) ||
                 readString(registry, RootKey::ClassesRoot, kCurVer, "", progId, KeyAccess::Wow64_32Key);
    // Click-to-Run keeps the registration in its own view of the machine
    // (Office 2016 and later; 2013's under its version).
    for (const char* view :
         {"SOFTWARE\\Microsoft\\Office\\ClickToRun", "SOFTWARE\\Microsoft\\Office\\15.0\\ClickToRun"})
        found =
            found || readString(registry, RootKey::LocalMachine,
                                std::string(view) + "\\REGISTRY\\MACHINE\\Software\\Classes\\" + kCurVer, "", progId);
    return found && outlookVersionFromProgId(progId, text);
}

}  // namespace qm::platform
