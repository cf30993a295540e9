#pragma once
// One Wine registry file (user.reg, system.reg) in memory: a tree of keys in
// Wine's order, read from and written back in Wine's own text format.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/KeyTree.h"

namespace qm::platform::wine {

using platform::RegKey;
using platform::RegValue;
using platform::compareNames;
using platform::fileTimeNow;


class RegHive {
public:
    // An empty registry with Wine's header; `relativeTo` is e.g.
    // "REGISTRY\User\S-1-5-21-0-0-0-1000".
    static RegHive empty(const std::string& relativeTo);
    // False with `error` = "<fileName>, line <n>: <what>" on a bad file.
    static bool parse(const std::string& bytes, const std::string& fileName, RegHive& out, std::string& error);
    std::string serialize() const;

    std::shared_ptr<RegKey> root = std::make_shared<RegKey>();

private:
    std::vector<std::string> preamble_;  // lines between the header and the first key
};


}  // namespace qm::platform::wine
