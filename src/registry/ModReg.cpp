#include "registry/ModReg.h"

#include <array>

namespace qm::registry {

using namespace qm::platform;
using platform::KeyHandle;

namespace {

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
    std::vector<std::string> out = registry_.takeNotices();
    out.insert(out.end(), notices_.begin(), notices_.end());
    notices_.clear();
    return out;
}

KeyHandle ModReg::RootKeyFromName(const std::string& name) {
    for (const auto& root : kRoots)
        if (name == root.name) return root.handle;
    return 0;
}

KeyHandle ModReg::SplitKeyPath(std::string& path) const {
    const base::LeadBytes& leads = files_.codePage().leadBytes();
    // A name may end in a double-byte character whose second byte is "\".
    if (path.rfind("HKEY_", 0) != 0 || leads.endsWith(path, '\\')) {
        notices_.push_back(std::string(kIncorrectFormat) + "\n\n" + path);
        return 0;
    }
    std::string rootName = path;
    std::string subKey;
    if (auto slash = leads.findFirstOf(path, "\\"); slash != std::string::npos) {
        rootName = path.substr(0, slash);
        subKey = path.substr(slash + 1);
    }
    path = subKey;
    return RootKeyFromName(rootName);
}

std::unique_ptr<OpenKey> ModReg::OpenPath(const std::string& path, KeyAccess access) const {
    std::string sub = path;
    const KeyHandle root = SplitKeyPath(sub);
    if (root == 0) return nullptr;
    return std::make_unique<OpenKey>(registry_, root, sub, access);
}

bool ModReg::KeyExists(const std::string& path, KeyAccess view) const {
    const auto k = OpenPath(path, KeyAccess::Read | view);
    return k && k->ok();
}

std::string ModReg::GetStringValue(const std::string& path, const std::string& valueName, KeyAccess view) const {
    const auto k = OpenPath(path, KeyAccess::Read | view);
    if (!k) return {};
    if (!k->ok()) return kError;
    std::string buffer(255, ' ');
    RegType type = RegType::None;
    std::uint32_t size = 255;
    if (registry_.RegQueryValueExA(k->key(), valueName, &type, reinterpret_cast<std::uint8_t*>(buffer.data()), &size) !=
        RegStatus::Success)
        return kError;
    // Strings written without a terminator (as SetStringValue and the
    // registry text import do) keep their last character.
    std::string value = buffer.substr(0, size);
    if (!value.empty() && value.back() == '\0') value.pop_back();
    const auto first = value.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : value.substr(first);
}

bool ModReg::SetStringValue(const std::string& path, const std::string& valueName, const std::string& text) const {
    const auto k = OpenPath(path, KeyAccess::Write);
    return k && k->ok() &&
           registry_.RegSetValueExA(k->key(), valueName, RegType::Sz, reinterpret_cast<const std::uint8_t*>(text.data()),
                                    static_cast<std::uint32_t>(text.size())) == RegStatus::Success;
}

bool ModReg::DeleteValue(const std::string& path, const std::string& valueName) const {
    const auto k = OpenPath(path, KeyAccess::Write);
    if (!k) return false;
    if (k->status() == RegStatus::FileNotFound) return true;
    if (!k->ok()) return false;
    const RegStatus rc = registry_.RegDeleteValueA(k->key(), valueName);
    return rc == RegStatus::Success || rc == RegStatus::FileNotFound;
}

bool ModReg::DeleteKey(const std::string& path) const {
    // A root alone cannot be deleted.
    std::string sub = path;
    if (SplitKeyPath(sub) == 0 || sub.empty()) return false;
    const auto slash = files_.codePage().leadBytes().findLastOf(path, "\\");
    const auto parent = OpenPath(path.substr(0, slash), KeyAccess::Write);
    if (!parent) return false;
    if (parent->status() == RegStatus::FileNotFound) return true;
    if (!parent->ok()) return false;
    const RegStatus rc = registry_.RegDeleteKeyA(parent->key(), path.substr(slash + 1));
    return rc == RegStatus::Success || rc == RegStatus::FileNotFound;
}

bool ModReg::DeleteKeyTree(const std::string& path) const {
    // Depth first through open handles rather than by recursion and paths:
    // a tree of any depth costs the same per key and never the stack.
    struct Level {
        KeyHandle key;
        std::string name;     // as its parent lists it
        std::uint32_t kept = 0;  // subkeys that could not be deleted stay first
    };
    // Each key is the parent its subkeys are deleted through.
    const KeyAccess kTreeAccess = KeyAccess::Read | KeyAccess::Write;
    bool ok = true;
    std::vector<Level> levels;
    std::string sub = path;
    if (const KeyHandle root = SplitKeyPath(sub); root != 0) {
        KeyHandle key = 0;
        if (registry_.RegOpenKeyExA(root, sub, kTreeAccess, &key) == RegStatus::Success)
            levels.push_back({key, std::string()});
    }
    while (!levels.empty()) {
        Level& level = levels.back();
        char name[260];
        std::uint32_t size = sizeof name;
        const RegStatus rc = registry_.RegEnumKeyExA(level.key, level.kept, name, &size);
        if (rc == RegStatus::Success) {
            std::string child(name, size);
            child = child.substr(0, child.find('\0'));
            KeyHandle key = 0;
            if (registry_.RegOpenKeyExA(level.key, child, kTreeAccess, &key) == RegStatus::Success) {
                levels.push_back({key, child});
            } else {
                ok = false;
                ++level.kept;
            }
            continue;
        }
        if (rc == RegStatus::MoreData) {  // a name no path of ours could address
            ++level.kept;
            continue;
        }
        const Level done = level;
        registry_.RegCloseKey(done.key);
        levels.pop_back();
        if (levels.empty()) break;
        const RegStatus deleted = registry_.RegDeleteKeyA(levels.back().key, done.name);
        if (deleted != RegStatus::Success && deleted != RegStatus::FileNotFound) {
            ok = false;
            ++levels.back().kept;
        }
    }
    return DeleteKey(path) && ok;
}

std::vector<std::string> ModReg::EnumSubKeys(const std::string& path) const {
    std::vector<std::string> names;
    const auto k = OpenPath(path, KeyAccess::Read);
    if (!k || !k->ok()) return names;
    const KeyHandle key = k->key();
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
