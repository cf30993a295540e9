#include "platform/ReplacementNames.h"

#include <cstring>

namespace qm::platform {
namespace {

template <typename CharLength>
std::string cut(const std::string& name, std::size_t suffixBytes, CharLength charLength) {
    const std::size_t marker = std::strlen(kPartMarker);
    const std::size_t room = kMaxNameBytes > marker + suffixBytes ? kMaxNameBytes - marker - suffixBytes : 0;
    std::size_t end = 0;
    while (end < name.size()) {
        const std::size_t next = end + charLength(name, end);
        if (next > room) break;
        end = next;
    }
    return name.substr(0, end) + kPartMarker;
}

}  // namespace

std::string partNameStartUtf8(const std::string& name, std::size_t suffixBytes) {
    return cut(name, suffixBytes, [](const std::string& text, std::size_t pos) {
        std::size_t n = 1;
        while (pos + n < text.size() && (static_cast<unsigned char>(text[pos + n]) & 0xC0) == 0x80) ++n;
        return n;
    });
}

std::string partNameStart(const std::string& name, std::size_t suffixBytes, const base::LeadBytes& leads) {
    return cut(name, suffixBytes,
               [&leads](const std::string& text, std::size_t pos) { return leads.charLength(text, pos); });
}

}  // namespace qm::platform
