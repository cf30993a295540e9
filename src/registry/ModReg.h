#pragma once
// Registry access by textual key path ("HKEY_CURRENT_USER\Software\..."),
// the registry text export/import and the paths inside binary profile values.
// Reads fail in-band ("Error", empty list, false); writes answer false when
// the registry (or the file written) refused them. The layer shows nothing
// itself: a malformed key path is kept as a notice ("Incorrect Format:")
// for the run that met it to show.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/RegistryAccess.h"

namespace qm::registry {

using platform::KeyHandle;

class ModReg {
public:
    // `tempFolder`: Windows path of the folder for the ANSI path reading's
    // temporary file (the run's work folder).
    ModReg(platform::Registry& registry, platform::FileSystem& files, std::string tempFolder);

    void setTempFolder(const std::string& folder) { tempFolder_ = folder; }
    platform::Registry& registry() const { return registry_; }
    const platform::CodePage& codePage() const { return files_.codePage(); }

    // Key paths and single values.
    KeyHandle SplitKeyPath(std::string& path) const;
    static KeyHandle RootKeyFromName(const std::string& name);
    // `view` (KeyAccess::Wow64_32Key or Wow64_64Key) reads a machine-wide
    // key in that registry view; none: this program's own.
    bool KeyExists(const std::string& path, platform::KeyAccess view = platform::KeyAccess{}) const;
    std::string GetStringValue(const std::string& path, const std::string& valueName,
                               platform::KeyAccess view = platform::KeyAccess{}) const;
    bool SetStringValue(const std::string& path, const std::string& valueName, const std::string& text) const;
    // A REG_DWORD value; false when missing or of another type.
    bool GetDwordValue(const std::string& path, const std::string& valueName, std::uint32_t& value) const;
    // Sets a REG_BINARY value (the key must exist).
    bool SetBinaryValue(const std::string& path, const std::string& valueName, const std::string& bytes) const;
    // A text MAPI keeps as UTF-16 in a REG_BINARY value (a "001f" property),
    // up to its first zero character, in the code page ("?" for what it
    // cannot hold); a lone last byte is dropped. "Error" when the value is
    // missing or of another type.
    std::string ReadUnicodeTextValue(const std::string& path, const std::string& valueName) const;
    // Sets such a value: the text as UTF-16 with its terminator.
    bool SetUnicodeTextValue(const std::string& path, const std::string& valueName, const std::string& text) const;
    // True when the value (key) is not there afterwards: deleted, or missing
    // already. False when the registry refused.
    bool DeleteValue(const std::string& path, const std::string& valueName) const;
    bool DeleteKey(const std::string& path) const;
    bool DeleteKeyTree(const std::string& path) const;
    std::vector<std::string> EnumSubKeys(const std::string& path) const;

    // Registry text files; `file` is a Windows path.
    // False when a line could not be written to the file, or when the tree
    // nests deeper than kMaxKeyDepth (a notice says so).
    bool ExportKey(const std::string& path, const std::string& header, const std::string& file) const;
    bool ExportValues(const std::string& path, const std::string& file) const;
    // Checks the whole file first: a bad line, a key deeper than
    // kMaxKeyDepth (with a notice) or a missing file changes nothing and
    // answers false.
    bool ImportKey(const std::string& target, const std::string& file) const;

    // Paths inside binary values.
    std::string ReadPathFromBinaryValue(const std::string& path, const std::string& valueName) const;
    // "Error" also when its temporary file could not be written or read
    // back; `failure` (when given) then says so, as no missing path would.
    std::string ReadAnsiPathFromBinaryValue(const std::string& path, const std::string& valueName,
                                            std::string* failure = nullptr) const;
    // False only when the rewritten value could not be written; a missing
    // value or no match changes nothing and answers true.
    bool ReplaceInBinaryValue(const std::string& path, const std::string& valueName,
                              const std::string& oldText, const std::string& newText) const;
    std::string TextToUnicodeHex(const std::string& text) const;
    static std::string TextToAnsiHex(const std::string& text);

    // The registry's own notices, then the "Incorrect Format:" messages met
    // since the last call, each with its path.
    std::vector<std::string> takeNotices() const;

private:
    // The key at a textual path, opened for `access`; null when the path is
    // malformed (the notice is kept). Check status() for the opening.
    std::unique_ptr<platform::OpenKey> OpenPath(const std::string& path, platform::KeyAccess access) const;
    // The value lines of an opened key, appended to the file.
    bool ExportValuesOf(KeyHandle key, const std::string& file) const;
    void noteTooDeep(const std::string& path) const;
    // The bytes of the first REG_BINARY value of that exact name.
    std::optional<std::vector<std::uint8_t>> ReadBinaryValue(const std::string& path,
                                                             const std::string& valueName) const;

    platform::Registry& registry_;
    platform::FileSystem& files_;
    std::string tempFolder_;
    mutable std::vector<std::string> notices_;
};

inline const char* const kIncorrectFormat = "Incorrect Format:";
// Windows keeps no key more than 512 levels below its root; a tree deeper
// than that did not come from Windows and is not exported or imported.
inline constexpr std::size_t kMaxKeyDepth = 512;
inline const char* const kError = "Error";

}  // namespace qm::registry
