#include "platform/wine/WineOutlookProbe.h"

#include <cctype>

namespace qm::platform::wine {
namespace {

bool defaultString(Registry& reg, HKEY root, const std::string& sub, std::string& out) {
    HKEY key = 0;
    if (reg.RegOpenKeyExA(root, sub, KEY_READ, &key) != ERROR_SUCCESS) return false;
    std::uint32_t type = 0, size = 0;
    long rc = reg.RegQueryValueExA(key, "", &type, nullptr, &size);
    std::string bytes;
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        bytes.assign(size, '\0');
        rc = reg.RegQueryValueExA(key, "", &type, reinterpret_cast<std::uint8_t*>(bytes.data()), &size);
        bytes.resize(size);
    } else if (rc == ERROR_SUCCESS) {
        rc = ERROR_FILE_NOT_FOUND;
    }
    reg.RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return false;
    out = bytes.substr(0, bytes.find('\0'));
    return true;
}

}  // namespace

bool WineOutlookProbe::versionFromProgId(const std::string& progId, std::string& text) {
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

bool WineOutlookProbe::outlookVersion(std::string& text) const {
    // A registration for this user overrides the machine's, as in HKCR.
    static constexpr const char* kCurVer = "Outlook.Application\\CurVer";
    std::string progId;
    const bool found = defaultString(registry_, HKEY_CURRENT_USER, std::string("Software\\Classes\\") + kCurVer, progId) ||
                       defaultString(registry_, HKEY_CLASSES_ROOT, kCurVer, progId);
    return found && versionFromProgId(progId, text);
}

}  // namespace qm::platform::wine
