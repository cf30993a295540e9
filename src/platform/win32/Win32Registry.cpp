#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace qm::platform::win32 {
namespace {

// Our root handles are Win32's 32-bit values; a 64-bit HKEY holds them sign
// extended (HKEY_CLASSES_ROOT is 0xFFFFFFFF80000000 there).
HKEY toHkey(KeyHandle key) {
    if (key >= RootKey::ClassesRoot && key <= RootKey::DynData)
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(key))));
    return reinterpret_cast<HKEY>(key);
}

KeyHandle fromHkey(HKEY key) { return reinterpret_cast<KeyHandle>(key); }

RegStatus status(LONG code) { return static_cast<RegStatus>(code); }

}  // namespace

RegStatus Win32Registry::RegOpenKeyExA(KeyHandle key, const std::string& subKey, KeyAccess access,
                                       KeyHandle* result) {
    HKEY opened = nullptr;
    const LONG code = ::RegOpenKeyExA(toHkey(key), subKey.c_str(), 0, static_cast<REGSAM>(access), &opened);
    if (code == ERROR_SUCCESS && result) *result = fromHkey(opened);
    return status(code);
}

RegStatus Win32Registry::RegCreateKeyA(KeyHandle key, const std::string& subKey, KeyHandle* result) {
    HKEY created = nullptr;
    const LONG code = ::RegCreateKeyA(toHkey(key), subKey.c_str(), &created);
    if (code == ERROR_SUCCESS && result) *result = fromHkey(created);
    return status(code);
}

RegStatus Win32Registry::RegCloseKey(KeyHandle key) { return status(::RegCloseKey(toHkey(key))); }

RegStatus Win32Registry::RegQueryValueExA(KeyHandle key, const std::string& valueName, RegType* type,
                                          std::uint8_t* data, std::uint32_t* dataSize) {
    DWORD t = 0;
    DWORD size = dataSize ? *dataSize : 0;
    const LONG code =
        ::RegQueryValueExA(toHkey(key), valueName.c_str(), nullptr, &t, data, dataSize ? &size : nullptr);
    if (type && (code == ERROR_SUCCESS || code == ERROR_MORE_DATA)) *type = static_cast<RegType>(t);
    if (dataSize && (code == ERROR_SUCCESS || code == ERROR_MORE_DATA)) *dataSize = size;
    return status(code);
}

RegStatus Win32Registry::RegSetValueExA(KeyHandle key, const std::string& valueName, RegType type,
                                        const std::uint8_t* data, std::uint32_t dataSize) {
    // A string counted without its terminator: Windows adds one only when
    // it happens to find a zero after the converted text, so whether it is
    // stored depends on memory. Always stored, as the other backends do.
    const bool text = type == RegType::Sz || type == RegType::ExpandSz || type == RegType::MultiSz;
    if (text && data && dataSize > 0 && data[dataSize - 1] != 0) {
        std::string terminated(reinterpret_cast<const char*>(data), dataSize);
        terminated += '\0';
        return status(::RegSetValueExA(toHkey(key), valueName.c_str(), 0, static_cast<DWORD>(type),
                                       reinterpret_cast<const BYTE*>(terminated.data()), dataSize + 1));
    }
    return status(::RegSetValueExA(toHkey(key), valueName.c_str(), 0, static_cast<DWORD>(type), data, dataSize));
}

RegStatus Win32Registry::RegEnumKeyExA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) {
    DWORD size = nameSize ? *nameSize : 0;
    const LONG code =
        ::RegEnumKeyExA(toHkey(key), index, name, nameSize ? &size : nullptr, nullptr, nullptr, nullptr, nullptr);
    if (nameSize) *nameSize = size;
    return status(code);
}

RegStatus Win32Registry::RegEnumValueA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                                       RegType* type, std::uint8_t* data, std::uint32_t* dataSize) {
    DWORD size = nameSize ? *nameSize : 0;
    DWORD t = 0;
    DWORD bytes = dataSize ? *dataSize : 0;
    const LONG code = ::RegEnumValueA(toHkey(key), index, name, nameSize ? &size : nullptr, nullptr, &t, data,
                                      dataSize ? &bytes : nullptr);
    if (nameSize) *nameSize = size;
    if (code == ERROR_SUCCESS || code == ERROR_MORE_DATA) {
        if (type) *type = static_cast<RegType>(t);
        if (dataSize) *dataSize = bytes;
    }
    return status(code);
}

RegStatus Win32Registry::RegDeleteKeyA(KeyHandle key, const std::string& subKey) {
    return status(::RegDeleteKeyA(toHkey(key), subKey.c_str()));
}

RegStatus Win32Registry::RegDeleteValueA(KeyHandle key, const std::string& valueName) {
    return status(::RegDeleteValueA(toHkey(key), valueName.c_str()));
}

}  // namespace qm::platform::win32
