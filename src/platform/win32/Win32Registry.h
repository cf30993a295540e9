#pragma once
// The registry of the Windows the program runs on, through advapi32's ANSI
// functions. Handles, codes and sizes pass through as Windows gives them.
#include "platform/Registry.h"

namespace qm::platform::win32 {

class Win32Registry final : public Registry {
public:
    RegStatus RegOpenKeyExA(KeyHandle key, const std::string& subKey, KeyAccess access, KeyHandle* result) override;
    RegStatus RegCreateKeyA(KeyHandle key, const std::string& subKey, KeyHandle* result) override;
    RegStatus RegCloseKey(KeyHandle key) override;
    RegStatus RegQueryValueExA(KeyHandle key, const std::string& valueName, RegType* type, std::uint8_t* data,
                               std::uint32_t* dataSize) override;
    RegStatus RegSetValueExA(KeyHandle key, const std::string& valueName, RegType type, const std::uint8_t* data,
                             std::uint32_t dataSize) override;
    RegStatus RegEnumKeyExA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) override;
    RegStatus RegEnumValueA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize, RegType* type,
                            std::uint8_t* data, std::uint32_t* dataSize) override;
    RegStatus RegDeleteKeyA(KeyHandle key, const std::string& subKey) override;
    RegStatus RegDeleteValueA(KeyHandle key, const std::string& valueName) override;
};

}  // namespace qm::platform::win32
