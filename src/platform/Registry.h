#pragma once
// The registry as the layers above see it: the Win32 contract of the ANSI
// registry functions (predefined root handles, error codes, byte sizes in the
// ANSI code page), so the Windows and the Wine implementations are
// interchangeable.
#include <cstdint>
#include <string>

namespace qm::platform {

using HKEY = std::uintptr_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_INVALID_PARAMETER = 87;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr long ERROR_NO_MORE_ITEMS = 259;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;

// Names, value names and string data are ANSI bytes. Sizes are in bytes.
// Buffers follow Win32: `nameSize` is the capacity in characters on entry
// (including room for the terminating zero) and the length without the zero
// on return; a too small data buffer answers ERROR_MORE_DATA and stores the
// needed size. String data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) carries its
// terminating zero as stored.
class Registry {
public:
    virtual ~Registry() = default;

    virtual long RegOpenKeyExA(HKEY key, const std::string& subKey, std::uint32_t access, HKEY* result) = 0;
    // Opens or creates, creating missing parents.
    virtual long RegCreateKeyA(HKEY key, const std::string& subKey, HKEY* result) = 0;
    virtual long RegCloseKey(HKEY key) = 0;
    // `data` may be null to ask for the size only.
    virtual long RegQueryValueExA(HKEY key, const std::string& valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) = 0;
    virtual long RegSetValueExA(HKEY key, const std::string& valueName, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t dataSize) = 0;
    virtual long RegEnumKeyExA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameSize) = 0;
    virtual long RegEnumValueA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                               std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) = 0;
    // Deletes a subkey that has no subkeys of its own.
    virtual long RegDeleteKeyA(HKEY key, const std::string& subKey) = 0;
    virtual long RegDeleteValueA(HKEY key, const std::string& valueName) = 0;

    // Why the registry cannot be used now (e.g. a running wineserver would
    // overwrite our edits), or empty when it can. Writes answer
    // ERROR_ACCESS_DENIED while this is set.
    virtual std::string problem() const { return {}; }
};

}  // namespace qm::platform
