// Values MAPI keeps as typed data in REG_BINARY (texts as UTF-16), and the
// plain numbers and bytes beside them.
#include "platform/CodePage.h"
#include "registry/ModReg.h"

namespace qm::registry {

using namespace qm::platform;

bool ModReg::GetDwordValue(const std::string& path, const std::string& valueName, std::uint32_t& value) const {
    const auto k = OpenPath(path, KeyAccess::Read);
    if (!k || !k->ok()) return false;
    std::uint8_t data[4] = {};
    std::uint32_t size = sizeof data;
    RegType type = RegType::None;
    if (registry_.RegQueryValueExA(k->key(), valueName, &type, data, &size) != RegStatus::Success ||
        type != RegType::Dword || size != sizeof data)
        return false;
    value = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
            (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
    return true;
}

bool ModReg::SetBinaryValue(const std::string& path, const std::string& valueName, const std::string& bytes) const {
    // Closed before the answer: a registry that keeps its changes on
    // closing reports there whether they took.
    std::string sub = path;
    const KeyHandle root = SplitKeyPath(sub);
    KeyHandle key = 0;
    if (root == 0 || registry_.RegOpenKeyExA(root, sub, KeyAccess::Write, &key) != RegStatus::Success) return false;
    const RegStatus rc =
        registry_.RegSetValueExA(key, valueName, RegType::Binary, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                 static_cast<std::uint32_t>(bytes.size()));
    return registry_.RegCloseKey(key) == RegStatus::Success && rc == RegStatus::Success;
}

std::string ModReg::ReadUnicodeTextValue(const std::string& path, const std::string& valueName) const {
    const auto bytes = ReadBinaryValue(path, valueName);
    if (!bytes) return kError;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) {
        const char16_t unit = static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8));
        if (unit == 0) break;
        text += unit;
    }
    return files_.codePage().fromUtf16(text);
}

bool ModReg::SetUnicodeTextValue(const std::string& path, const std::string& valueName, const std::string& text) const {
    std::string bytes;
    for (char16_t unit : files_.codePage().toUtf16(text)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return SetBinaryValue(path, valueName, bytes + std::string(2, '\0'));
}

}  // namespace qm::registry
