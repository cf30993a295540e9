#pragma once
// The compatibility folders Windows keeps as junctions since Vista, so that
// programs written for the older layout find the user's folders ("Application
// Data", "Local Settings", "My Documents", "AppData\Local\Application Data",
// ...). A prefix made by wineboot has none of them.
#include <optional>
#include <string>
#include <vector>

namespace qm::platform::wine {

struct CompatFolder {
    std::string name;                 // as Windows spells it ("Local Settings")
    std::vector<std::string> target;  // relative to the folder holding it; ".." kept, "." empty
};

// The junction `name` inside `parent`, or nothing when Windows has none
// there. `parent` is the folder's path on the system drive below its root,
// each name folded to upper case ({"USERS", "ALICE"}); `name` folded alike.
std::optional<CompatFolder> compatFolder(const std::vector<std::u16string>& parent, const std::u16string& name);

}  // namespace qm::platform::wine
