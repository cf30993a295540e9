#include "platform/RegistryAccess.h"

namespace qm::platform {

OpenKey::OpenKey(Registry& registry, KeyHandle root, const std::string& subKey, KeyAccess access)
    : registry_(registry), status_(registry.RegOpenKeyExA(root, subKey, access, &key_)) {}

OpenKey::~OpenKey() {
    if (ok()) registry_.RegCloseKey(key_);
}

namespace {

// Up to 260 characters: the longest name a path of ours can address.
template <typename Enumerate>
std::vector<std::string> names(Registry& registry, KeyHandle root, const std::string& subKey, Enumerate enumerate) {
    std::vector<std::string> out;
    OpenKey k(registry, root, subKey, KeyAccess::Read);
    if (!k.ok()) return out;
    for (std::uint32_t i = 0;; ++i) {
        char name[260];
        std::uint32_t size = sizeof name;
        if (enumerate(k.key(), i, name, &size) != RegStatus::Success) break;
        out.emplace_back(name, size);
    }
    return out;
}

}  // namespace

RegStatus readValue(Registry& registry, KeyHandle root, const std::string& subKey, const std::string& name,
                    RegType& type, std::string& bytes, KeyAccess view) {
    OpenKey k(registry, root, subKey, KeyAccess::Read | view);
    if (!k.ok()) return k.status();
    std::uint32_t size = 0;
    RegStatus rc = registry.RegQueryValueExA(k.key(), name, &type, nullptr, &size);
    if (rc != RegStatus::Success) return rc;
    bytes.assign(size, '\0');
    rc = registry.RegQueryValueExA(k.key(), name, &type, reinterpret_cast<std::uint8_t*>(bytes.data()), &size);
    bytes.resize(size);
    return rc;
}

RegStatus writeValue(Registry& registry, KeyHandle root, const std::string& subKey, const std::string& name,
                     RegType type, const std::string& bytes) {
    KeyHandle key = 0;
    if (RegStatus rc = registry.RegCreateKeyA(root, subKey, &key); rc != RegStatus::Success) return rc;
    const RegStatus rc = registry.RegSetValueExA(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                 static_cast<std::uint32_t>(bytes.size()));
    const RegStatus closed = registry.RegCloseKey(key);
    return rc != RegStatus::Success ? rc : closed;
}

bool readString(Registry& registry, KeyHandle root, const std::string& subKey, const std::string& name,
                std::string& text, KeyAccess view) {
    RegType type = RegType::None;
    std::string bytes;
    if (readValue(registry, root, subKey, name, type, bytes, view) != RegStatus::Success) return false;
    if (type != RegType::Sz && type != RegType::ExpandSz) return false;
    text = bytes.substr(0, bytes.find('\0'));
    return true;
}

std::vector<std::string> subkeyNames(Registry& registry, KeyHandle root, const std::string& subKey) {
    return names(registry, root, subKey, [&](KeyHandle k, std::uint32_t i, char* name, std::uint32_t* size) {
        return registry.RegEnumKeyExA(k, i, name, size);
    });
}

std::vector<std::string> valueNames(Registry& registry, KeyHandle root, const std::string& subKey) {
    return names(registry, root, subKey, [&](KeyHandle k, std::uint32_t i, char* name, std::uint32_t* size) {
        return registry.RegEnumValueA(k, i, name, size, nullptr, nullptr, nullptr);
    });
}

}  // namespace qm::platform
