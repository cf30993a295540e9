#pragma once
// One Wine registry file (user.reg, system.reg) in memory: a tree of keys in
// Wine's order, read from and written back in Wine's own text format.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm::platform::wine {

struct RegValue {
    std::u16string name;  // empty: the default value
    std::uint32_t type = 0;
    std::string data;  // bytes as stored; strings are UTF-16LE
};

struct RegKey {
    std::u16string name;
    RegKey* parent = nullptr;
    std::vector<std::shared_ptr<RegKey>> subkeys;  // sorted as Wine sorts them
    std::vector<RegValue> values;                  // sorted, default value first
    std::optional<std::u16string> keyClass;
    bool link = false;
    std::uint64_t modified = 0;  // FILETIME

    // The key's own section as read, kept so untouched keys are written back
    // as they were.
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

// Wine's comparison of key and value names: case-insensitive over the common
// length, then the shorter first.
int compareNames(const std::u16string& a, const std::u16string& b);
char16_t foldCase(char16_t unit);

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

std::uint64_t fileTimeNow();

// Writes `bytes` to `path` so that a reader sees either the old or the new
// file, never a torn one: a new file in the same folder, flushed to disk,
// renamed over the old one, then the folder flushed. Keeps the old file's
// mode and owner. False with `error`.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

// Test hook: called with the temporary file's path just before the rename;
// returning false makes the save fail there (as a crash would).
void setBeforeRenameHook(std::function<bool(const std::string& tempPath)> hook);

}  // namespace qm::platform::wine
