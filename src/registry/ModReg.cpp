#include "registry/ModReg.h"

#include <array>

namespace qm::registry {

using namespace qm::platform;
using platform::KeyHandle;

namespace {

// Closes a key when the operation that opened it returns.
class KeyGuard {
public:
    KeyGuard(Registry& registry, KeyHandle key) : registry_(registry), key_(key) {}
    ~KeyGuard() { registry_.RegCloseKey(key_); }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;

private:
    Registry& registry_;
    KeyHandle key_;
};

struct RootName {
    const char* name;
    KeyHandle handle;
};

constexpr std::array<RootName, 7> kRoots = {{
    {"HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
    {"HKEY_CURRENT_USER", RootKey::CurrentUser},
    {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
    {"HKEY_USERS", RootKey::Users},
    {"HKEY_PERFORMANCE_DATA", RootKey::PerformanceData},
    {"HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
    {"HKEY_DYN_DATA", RootKey::DynData},
}};

}  // namespace

ModReg::ModReg(Registry& registry, FileSystem& files, std::string tempFolder)
    : registry_(registry), files_(files), tempFolder_(std::move(tempFolder)) {}

std::vector<std::string> ModReg::takeNotices() const {
    std::vector<std::string> out;
    out.swap(notices_);
    return out;
}

KeyHandle ModReg::RootKeyFromName(const std::string& name) {
    for (const auto& root : kRoots)
        if (name == root.name) return root.handle;
    return 0;
}

KeyHandle ModReg::SplitKeyPath(std::string& path) const {
    if (path.rfind("HKEY_", 0) != 0 || path.back() == '\\') {
        notices_.push_back(std::string(kIncorrectFormat) + "\n\n" + path);
        return 0;
    }
    std::string rootName = path;
    std::string subKey;
    if (auto slash = path.find('\\'); slash != std::string::npos) {
        rootName = path.substr(0, slash);
        subKey = path.substr(slash + 1);
    }
    path = subKey;
    return RootKeyFromName(rootName);
}

bool ModReg::KeyExists(const std::string& path) const {
    std::string sub = path;
    KeyHandle root = SplitKeyPath(sub);
    if (root == 0) return false;
    KeyHandle key = 0;
    if (registry_.RegOpenKeyExA(root, sub, KeyAccess::Read, &key) != RegStatus::Success) return false;
    registry_.RegCloseKey(key);
    return true;
}

std::string ModReg::GetStringValue(const std::string& path, const std::string& valueName) const {
    std::string sub = path;
    KeyHandle root = SplitKeyPath(sub);
    if (root == 0) return {};
    KeyHandle key = 0;
    if (registry_.RegOpenKeyExA(root, sub, KeyAccess::Read, &key) != RegStatus::Success) return kError;
    KeyGuard guard(registry_, key);

    std::string buffer(255, ' ');
    RegType type = RegType::None;
    std::uint32_t size = 255;
    if (registry_.RegQueryValueExA(key, valueName, &type, reinterpret_cast<std::uint8_t*>(buffer.data()), &size) !=
        RegStatus::Success)
        return kError;
    // Strings written without a terminator (as SetStringValue and the
    // registry text import do) keep their last character.
    std::string value = buffer.substr(0, size);
    if (!value.empty() && value.back() == '\0') value.pop_back();
    auto first = value.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : value.substr(first);
}

bool ModReg::SetStringValue(const std::string& path, const std::string& valueName, const std::string& text) const {
    std::string sub = path;
    KeyHandle root = SplitKeyPath(sub);
    if (root == 0) return false;
    KeyHandle key = 0;
    if (registry_.RegOpenKeyExA(root, sub, KeyAccess::Write, &key) != RegStatus::Success) return false;
    KeyGuard guard(registry_, key);
    return registry_.RegSetValueExA(key, valueName, RegType::Sz, reinterpret_cast<const std::uint8_t*>(text.data()),
                                    static_cast<std::uint32_t>(text.size())) == RegStatus::Success;
}

bool ModReg::DeleteValue(const std::string& path, const std::string& valueName) const {
    std::string sub = path;
    KeyHandle root = SplitKeyPath(sub);
    if (root == 0) return false;
    KeyHandle key = 0;
    const RegStatus opened = registry_.RegOpenKeyExA(root, sub, KeyAccess::Write, &key);
    if (opened == RegStatus::FileNotFound) return true;
    if (opened != RegStatus::Success) return false;
    KeyGuard guard(registry_, key);
    const RegStatus rc = registry_.RegDeleteValueA(key, valueName);
    return rc == RegStatus::Success || rc == RegStatus::FileNotFound;
}

bool ModReg::DeleteKey(const std::string& path) const {
    std::string sub = path;
    KeyHandle root = SplitKeyPath(sub);
    if (root == 0 || sub.empty()) return false;
    const auto slash = sub.rfind('\\');
    if (slash == std::string::npos) {
        const RegStatus rc = registry_.RegDeleteKeyA(root, sub);
        return rc == RegStatus::Success || rc == RegStatus::FileNotFound;
    }
    KeyHandle parent = 0;
    const RegStatus opened = registry_.RegOpenKeyExA(root, sub.substr(0, slash), KeyAccess::Write, &parent);
    if (opened == RegStatus::FileNotFound) return true;
    if (opened != RegStatus::Success) return false;
    KeyGuard guard(registry_, parent);
    const RegStatus rc = registry_.RegDeleteKeyA(parent, sub.substr(slash + 1));
    return rc == RegStatus::Success || rc == RegStatus::FileNotFound;
}

bool ModReg::DeleteKeyTree(const std::string& path) const {
    bool ok = true;
    for (const auto& name : EnumSubKeys(path)) ok = DeleteKeyTree(path + "\\" + name) && ok;
    return DeleteKey(path) && ok;
}

std::vector<std::string> ModReg::EnumSubKeys(const std::string& path) const {
    std::vector<std::string> names;
    std::string sub = path;
    KeyHandle root = SplitKeyPath(sub);
    if (root == 0) return names;
    KeyHandle key = 0;
    if (registry_.RegOpenKeyExA(root, sub, KeyAccess::Read, &key) != RegStatus::Success) return names;
    KeyGuard guard(registry_, key);
    for (std::uint32_t index = 0;; ++index) {
        char name[260];
        std::uint32_t size = sizeof name;
        platform::RegStatus rc = registry_.RegEnumKeyExA(key, index, name, &size);
        if (rc == RegStatus::MoreData) continue;  // a name no path of ours could address
        if (rc != RegStatus::Success) break;
        std::string text(name, size);
        names.push_back(text.substr(0, text.find('\0')));
    }
    return names;
}

}  // namespace qm::registry
