#pragma once
// Registry access by textual key path ("HKEY_CURRENT_USER\Software\..."),
// the registry text export/import and the paths inside binary profile values.
// Reads fail in-band ("Error", empty list, false); writes fail silently.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/Registry.h"

namespace qm::registry {

using platform::KeyHandle;

class ModReg {
public:
    // `tempFolder`: Windows path of the folder for the ANSI path reading's
    // temporary file (the run's work folder).
    ModReg(platform::Registry& registry, platform::FileSystem& files, platform::MessageBox& messages,
           std::string tempFolder);

    void setTempFolder(const std::string& folder) { tempFolder_ = folder; }
    platform::Registry& registry() const { return registry_; }

    // Key paths and single values.
    KeyHandle SplitKeyPath(std::string& path) const;
    static KeyHandle RootKeyFromName(const std::string& name);
    bool KeyExists(const std::string& path) const;
    std::string GetStringValue(const std::string& path, const std::string& valueName) const;
    void SetStringValue(const std::string& path, const std::string& valueName, const std::string& text) const;
    void DeleteValue(const std::string& path, const std::string& valueName) const;
    void DeleteKey(const std::string& path) const;
    void DeleteKeyTree(const std::string& path) const;
    std::vector<std::string> EnumSubKeys(const std::string& path) const;

    // Registry text files; `file` is a Windows path.
    void ExportKey(const std::string& path, const std::string& header, const std::string& file) const;
    void ExportValues(const std::string& path, const std::string& file) const;
    // Checks the whole file first: a bad line (or a missing file) changes
    // nothing and answers false.
    bool ImportKey(const std::string& target, const std::string& file) const;

    // Paths inside binary values.
    std::string ReadPathFromBinaryValue(const std::string& path, const std::string& valueName) const;
    std::string ReadAnsiPathFromBinaryValue(const std::string& path, const std::string& valueName) const;
    void ReplaceInBinaryValue(const std::string& path, const std::string& valueName,
                              const std::string& oldText, const std::string& newText) const;
    static std::string TextToUnicodeHex(const std::string& text);
    static std::string TextToAnsiHex(const std::string& text);

private:
    // The bytes of the first REG_BINARY value of that exact name.
    std::optional<std::vector<std::uint8_t>> ReadBinaryValue(const std::string& path,
                                                             const std::string& valueName) const;
    std::optional<std::vector<std::uint8_t>> ReadBinaryValue(KeyHandle root, const std::string& subKey,
                                                             const std::string& valueName) const;

    platform::Registry& registry_;
    platform::FileSystem& files_;
    platform::MessageBox& messages_;
    std::string tempFolder_;
};

inline const char* const kIncorrectFormat = "Incorrect Format:";
inline const char* const kError = "Error";

}  // namespace qm::registry
