#pragma once
// One value of a key by index, the data buffer grown once when the registry
// asks for more room.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace qm::registry::detail {

struct EnumeratedValue {
    std::string name;
    platform::RegType type = platform::RegType::None;
    std::vector<std::uint8_t> data;
};

// ERROR_SUCCESS with `out` filled, or the registry's answer (259 at the end).
inline platform::RegStatus EnumValue(platform::Registry& registry, platform::KeyHandle key, std::uint32_t index, EnumeratedValue& out) {
    char name[260];
    out.data.resize(4096);
    for (int attempt = 0;; ++attempt) {
        std::uint32_t nameSize = sizeof name;
        auto size = static_cast<std::uint32_t>(out.data.size());
        platform::RegStatus rc = registry.RegEnumValueA(key, index, name, &nameSize, &out.type, out.data.data(), &size);
        if (rc == platform::RegStatus::MoreData && attempt == 0) {
            out.data.resize(size);
            continue;
        }
        if (rc != platform::RegStatus::Success) return rc;
        out.name.assign(name, nameSize);
        out.data.resize(size);
        return rc;
    }
}

}  // namespace qm::registry::detail
