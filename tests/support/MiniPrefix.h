#pragma once
// The smallest folder layout Wine's services accept as a prefix: dosdevices
// with c: -> ../drive_c and z: -> /, drive_c/windows, the user's profile
// folder and (with a registry) empty user.reg and system.reg.
#include <string>

namespace qm::test {

struct MiniPrefix {
    // Makes the layout in `folder` (created). False when a part cannot be made.
    static bool make(const std::string& folder, const std::string& user = "tester", bool withRegistry = true);
};

}  // namespace qm::test
