#pragma once
// A registry key tree in memory, sorted as Windows sorts it. Names are
// UTF-16; string data is stored as UTF-16LE bytes.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm::platform {

struct RegValue {
    std::u16string name;  // empty: the default value
    std::uint32_t type = 0;
    std::string data;  // bytes as stored; strings are UTF-16LE
};

struct RegKey {
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    // Frees the subtree level by level: a tree of any depth (a damaged
    // registry file) must not cost a stack frame per level.
    ~RegKey();

    std::u16string name;
    RegKey* parent = nullptr;
    std::vector<std::shared_ptr<RegKey>> subkeys;  // sorted as Wine sorts them
    std::vector<RegValue> values;                  // sorted, default value first
    std::optional<std::u16string> keyClass;
    bool link = false;
    std::uint64_t modified = 0;  // FILETIME

    // How a backend that stores keys in files read the key's own section,
    // so that untouched keys are written back as they were.
    bool listed = false;
    bool touched = false;
    std::string stampText;                  // what followed "]" on the key line
    std::string timeLine;                   // the "#time=" line, or empty
    std::vector<std::string> otherOptions;  // other "#" lines Wine may add
    bool deleted = false;

    RegKey* findSubkey(const std::u16string& name) const;
    // Inserts at Wine's position; the name must not exist yet.
    RegKey* addSubkey(const std::u16string& name, std::uint64_t modified);
    // Removes the (empty) subkey; false when it is missing.
    bool removeSubkey(const RegKey* child);
    const RegValue* findValue(const std::u16string& name) const;
    void setValue(RegValue value);
    bool removeValue(const std::u16string& name);
    // Marks the key as changed now (Wine does this for its own edits).
    void touch();
};

// A copy of a whole tree, made without recursion (a tree of any depth).
std::shared_ptr<RegKey> cloneTree(const RegKey& root);

// The comparison of key and value names Windows and Wine keep their keys
// sorted by: case-insensitive over the common length, then the shorter first.
int compareNames(const std::u16string& a, const std::u16string& b);
char16_t foldNameUnit(char16_t unit);

// Now as a FILETIME (100 ns since 1601).
std::uint64_t fileTimeNow();

}  // namespace qm::platform
