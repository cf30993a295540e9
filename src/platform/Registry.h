#pragma once
// The registry as the layers above see it: the Win32 contract of the ANSI
// registry functions (predefined root handles, error codes, byte sizes in the
// ANSI code page), so the Windows and the Wine implementations are
// interchangeable.
#include <cstdint>
#include <string>

namespace qm::platform {

using KeyHandle = std::uintptr_t;

// The predefined root handles, with Win32's values.
struct RootKey {
    static constexpr KeyHandle ClassesRoot = 0x80000000u;
    static constexpr KeyHandle CurrentUser = 0x80000001u;
    static constexpr KeyHandle LocalMachine = 0x80000002u;
    static constexpr KeyHandle Users = 0x80000003u;
    static constexpr KeyHandle PerformanceData = 0x80000004u;
    static constexpr KeyHandle CurrentConfig = 0x80000005u;
    static constexpr KeyHandle DynData = 0x80000006u;
};

// Win32's error codes; a backend may answer others.
enum class RegStatus : long {
    Success = 0,
    FileNotFound = 2,
    AccessDenied = 5,
    InvalidHandle = 6,
    InvalidParameter = 87,
    BadPathname = 161,
    MoreData = 234,
    NoMoreItems = 259,
    KeyDeleted = 1018,
};

// Value types with Win32's numbers; other numbers pass through unchanged.
enum class RegType : std::uint32_t {
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    MultiSz = 7,
};

// Access rights of an opened key (bits as Win32 has them).
enum class KeyAccess : std::uint32_t {
    QueryValue = 0x0001,
    SetValue = 0x0002,
    CreateSubKey = 0x0004,
    EnumerateSubKeys = 0x0008,
    Delete = 0x10000,
    Read = 0x20019,
    Write = 0x20006,
    AllAccess = 0xF003F,
    // The registry view, as Windows gives it to a 64-bit / a 32-bit program
    // (a 32-bit one's HKEY_LOCAL_MACHINE\Software lies under Wow6432Node
    // in a 64-bit Windows, the keys Windows shares left shared). Without
    // either: the view of this program.
    Wow64_64Key = 0x0100,
    Wow64_32Key = 0x0200,
};

// True when `granted` includes any right of `wanted`.
constexpr bool allows(KeyAccess granted, KeyAccess wanted) {
    return (static_cast<std::uint32_t>(granted) & static_cast<std::uint32_t>(wanted)) != 0;
}
constexpr KeyAccess operator|(KeyAccess a, KeyAccess b) {
    return static_cast<KeyAccess>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}

// Names, value names and string data are ANSI bytes. Sizes are in bytes.
// Buffers follow Win32: `nameSize` is the capacity in characters on entry
// (including room for the terminating zero) and the length without the zero
// on return; a too small data buffer answers RegStatus::MoreData and stores the
// needed size. String data (Sz, ExpandSz, MultiSz) carries its
// terminating zero as stored.
class Registry {
public:
    virtual ~Registry() = default;

    virtual RegStatus RegOpenKeyExA(KeyHandle key, const std::string& subKey, KeyAccess access, KeyHandle* result) = 0;
    // Opens or creates, creating missing parents.
    virtual RegStatus RegCreateKeyA(KeyHandle key, const std::string& subKey, KeyHandle* result) = 0;
    virtual RegStatus RegCloseKey(KeyHandle key) = 0;
    // `data` may be null to ask for the size only.
    virtual RegStatus RegQueryValueExA(KeyHandle key, const std::string& valueName, RegType* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) = 0;
    virtual RegStatus RegSetValueExA(KeyHandle key, const std::string& valueName, RegType type,
                                const std::uint8_t* data, std::uint32_t dataSize) = 0;
    virtual RegStatus RegEnumKeyExA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) = 0;
    virtual RegStatus RegEnumValueA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                               RegType* type, std::uint8_t* data, std::uint32_t* dataSize) = 0;
    // Deletes a subkey that has no subkeys of its own.
    virtual RegStatus RegDeleteKeyA(KeyHandle key, const std::string& subKey) = 0;
    virtual RegStatus RegDeleteValueA(KeyHandle key, const std::string& valueName) = 0;

    // Why the registry cannot be used now (e.g. a running wineserver would
    // overwrite our edits), or empty when it can. Writes answer
    // RegStatus::AccessDenied while this is set.
    virtual std::string problem() const { return {}; }
    // Why what is read now may be out of date or changing while it is read
    // (programs of a Wine prefix running, whose server keeps the live
    // registry), or empty. Reading goes on.
    virtual std::string liveWarning() const { return {}; }

    // A restore's changes as one transaction. After holdChanges() answered
    // true, changes stay in memory (no file is written) until
    // commitHeldChanges() writes each changed registry file once, by atomic
    // replacement, or dropHeldChanges() forgets them. A registry that cannot
    // hold them (the live Windows registry) answers false, and each change
    // is made as its call returns: the caller keeps copies of what it
    // changes instead. Changes not yet kept are kept first.
    virtual bool holdChanges(std::string& /*why*/) { return false; }
    // Makes what the registry files will hold and answers its fingerprint:
    // a journal keeps it, so that after a crash the fingerprint of the files
    // on disk (storedFingerprint) tells whether the commit happened. Empty
    // when nothing would change or the registry keeps no files.
    virtual bool prepareHeldChanges(std::string& fingerprint, std::string& /*why*/) {
        fingerprint.clear();
        return true;
    }
    virtual bool commitHeldChanges(std::string& /*why*/) { return true; }
    virtual void dropHeldChanges() {}
    // The fingerprint of what the registry's files hold on disk now (the one
    // file whose replacement commits a restore); empty when it keeps none.
    virtual std::string storedFingerprint() const { return {}; }
};

}  // namespace qm::platform
