#pragma once
// The registry functions over key trees held in memory: HKEY_CURRENT_USER
// and HKEY_LOCAL_MACHINE (HKEY_CLASSES_ROOT is its Software\Classes), with
// Win32's handles, codes, sizes and ANSI conversions. A backend that keeps
// the trees somewhere (Wine's registry files) derives from it and takes part
// through the hooks; on its own it is an installation's registry in memory.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/KeyTree.h"
#include "platform/Registry.h"

namespace qm::platform {

class KeyTreeRegistry : public Registry {
public:
    // The code page must outlive the registry.
    explicit KeyTreeRegistry(const CodePage& codePage);
    ~KeyTreeRegistry() override;

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

    // Held changes are kept in memory; dropping them puts back the trees as
    // they were when the hold began (a backend with files reads them again).
    bool holdChanges(std::string& why) override;
    bool commitHeldChanges(std::string& why) override;
    void dropHeldChanges() override;

protected:
    struct Hive {
        std::shared_ptr<RegKey> root = std::make_shared<RegKey>();
        bool dirty = false;  // changes not yet kept by the backend
    };
    Hive& userHive() { return user_; }
    Hive& machineHive() { return machine_; }
    const Hive& userHive() const { return user_; }
    const Hive& machineHive() const { return machine_; }

    // Before every operation that looks a key up: the backend may load a
    // newer copy of its trees (see replaceRoot).
    virtual void refresh() {}
    // Before a change; anything but Success refuses it.
    virtual RegStatus beginWrite() { return RegStatus::Success; }
    // After a change that was refused or did nothing.
    virtual RegStatus endWrite(RegStatus rc) { return rc; }
    // Keeps the changed hives (through a predefined root at once; through a
    // handle when the last handle with changes closes). False fails the call.
    virtual bool save(std::string& /*error*/) {
        user_.dirty = machine_.dirty = false;
        return true;
    }

    // Swaps in a newly loaded tree; open handles follow their keys by path
    // (a key that is gone answers KeyDeleted).
    void replaceRoot(Hive& hive, std::shared_ptr<RegKey> root);
    bool anyChangedHandle() const;
    bool holding() const { return holding_; }
    // The hold is over (its changes kept or dropped).
    void endHold();
    // The trees as they were when a hold began, for dropHeldChanges(); a
    // backend that can read them again from its files takes none.
    virtual bool keepsOwnCopyWhileHeld() const { return true; }
    // Puts back what was there when the hold began.
    virtual void restoreHeldTrees();

private:
    struct Handle {
        Hive* hive = nullptr;
        std::shared_ptr<RegKey> key;
        KeyAccess access = KeyAccess::AllAccess;
        bool changed = false;
    };
    struct Node {
        Hive* hive = nullptr;
        RegKey* key = nullptr;
        KeyAccess access = KeyAccess::AllAccess;
    };

    static bool isPredefined(KeyHandle key) { return key >= RootKey::ClassesRoot && key <= RootKey::DynData; }
    // save() unless changes are held.
    bool keep(std::string& error);
    RegKey* classesKey() const;
    RegStatus resolve(KeyHandle key, bool create, Node& out);
    KeyHandle newHandle(Hive* hive, RegKey* key, KeyAccess access);
    RegStatus copyData(const RegValue& v, RegType* type, std::uint8_t* data, std::uint32_t* dataSize) const;
    RegStatus changedThrough(KeyHandle key, RegStatus rc);
    bool splitPath(const std::string& ansi, std::vector<std::u16string>& parts) const;
    bool openIn32BitView(Node& node, const std::vector<std::u16string>& parts);
    bool followLink(Hive*& hive, RegKey*& key, int depth);

    const CodePage& codePage_;
    Hive user_;
    Hive machine_;
    std::map<KeyHandle, Handle> handles_;
    // How many handles hold changes not yet saved (counted, not searched:
    // a deep tree is deleted through one open handle per level).
    std::size_t changedHandles_ = 0;
    bool holding_ = false;
    std::shared_ptr<RegKey> heldUser_, heldMachine_;
    KeyHandle nextHandle_ = 0x1000;
};

}  // namespace qm::platform
