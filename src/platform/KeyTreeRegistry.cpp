#include "platform/KeyTreeRegistry.h"

#include <cstring>

namespace qm::platform {
namespace {

bool isString(RegType type) { return type == RegType::Sz || type == RegType::ExpandSz || type == RegType::MultiSz; }

std::vector<std::u16string> pathOf(const RegKey* key, const RegKey* base) {
    std::vector<std::u16string> out;
    for (; key && key != base; key = key->parent) out.insert(out.begin(), key->name);
    return out;
}

RegStatus copyName(const std::string& name, char* buffer, std::uint32_t* size) {
    if (!buffer || !size) return RegStatus::InvalidParameter;
    if (name.size() + 1 > *size) {
        *size = static_cast<std::uint32_t>(name.size());
        return RegStatus::MoreData;
    }
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = 0;
    *size = static_cast<std::uint32_t>(name.size());
    return RegStatus::Success;
}

std::shared_ptr<RegKey> sharedOf(const std::shared_ptr<RegKey>& root, RegKey* key) {
    if (!key->parent) return root;
    for (const auto& s : key->parent->subkeys)
        if (s.get() == key) return s;
    return nullptr;
}

}  // namespace

KeyTreeRegistry::KeyTreeRegistry(const CodePage& codePage) : codePage_(codePage) {}

KeyTreeRegistry::~KeyTreeRegistry() = default;

// Splits "a\b\c" into its names. A trailing backslash is allowed, as in
// Windows; a leading one or an empty name inside is a bad path (false).
bool KeyTreeRegistry::splitPath(const std::string& ansi, std::vector<std::u16string>& parts) const {
    parts.clear();
    std::u16string all = codePage_.toUtf16(ansi);
    while (!all.empty() && all.back() == u'\\') all.pop_back();
    if (all.empty()) return true;
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t sep = all.find(u'\\', start);
        if (sep == std::u16string::npos) sep = all.size();
        if (sep == start) return false;
        parts.push_back(all.substr(start, sep - start));
        start = sep + 1;
    }
    return true;
}

RegStatus KeyTreeRegistry::RegOpenKeyExA(KeyHandle key, const std::string& subKey, KeyAccess access,
                                         KeyHandle* result) {
    if (!result) return RegStatus::InvalidParameter;
    refresh();
    Node base;
    if (RegStatus rc = resolve(key, false, base); rc != RegStatus::Success) return rc;
    std::vector<std::u16string> parts;
    if (!splitPath(subKey, parts)) return RegStatus::BadPathname;
    if (allows(access, KeyAccess::Wow64_32Key) && !allows(access, KeyAccess::Wow64_64Key)) {
        if (!openIn32BitView(base, parts)) return RegStatus::FileNotFound;
        *result = newHandle(base.hive, base.key, access);
        return RegStatus::Success;
    }
    RegKey* k = base.key;
    for (const auto& part : parts) {
        k = k->findSubkey(part);
        if (!k) return RegStatus::FileNotFound;
    }
    *result = newHandle(base.hive, k, access);
    return RegStatus::Success;
}

// Wine's redirection for a 32-bit program, which Windows has alike: below a
// key that has a Wow6432Node subkey, the names are looked up in that
// subkey; a key there that Windows shares is a link back to the one key
// (Wine writes "#link" keys); a name missing from HKLM\Software\Classes's
// Wow6432Node is looked up in Classes itself. A registry without
// Wow6432Node keys (a 32-bit Windows) looks the same in both views.
bool KeyTreeRegistry::openIn32BitView(Node& node, const std::vector<std::u16string>& parts) {
    static const std::u16string kWow = u"Wow6432Node";
    auto redirected = [](RegKey* k, const std::u16string& next) {
        if (!next.empty() && compareNames(next, kWow) == 0) return k;
        RegKey* wow = k->findSubkey(kWow);
        return wow ? wow : k;
    };
    RegKey* k = node.key;
    if (!parts.empty()) k = redirected(k, parts.front());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        RegKey* sub = k->findSubkey(parts[i]);
        if (!sub && k->parent && k->parent == classesKey() && compareNames(k->name, kWow) == 0)
            sub = k->parent->findSubkey(parts[i]);
        if (!sub) return false;
        k = redirected(sub, i + 1 < parts.size() ? parts[i + 1] : std::u16string());
        if (!followLink(node.hive, k, 0)) return false;
    }
    if (parts.empty()) k = redirected(k, std::u16string());
    node.key = k;
    return true;
}

// A link key ("#link" with its SymbolicLinkValue, "\Registry\Machine\...")
// stands for the key it names; false when that key is missing.
bool KeyTreeRegistry::followLink(Hive*& hive, RegKey*& key, int depth) {
    if (!key->link) return true;
    if (depth > 16) return false;
    const RegValue* target = key->findValue(u"SymbolicLinkValue");
    if (!target) return false;
    std::u16string path;
    for (std::size_t i = 0; i + 1 < target->data.size(); i += 2)
        path += static_cast<char16_t>(static_cast<unsigned char>(target->data[i]) |
                                      (static_cast<unsigned char>(target->data[i + 1]) << 8));
    std::vector<std::u16string> names;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        if (end > start) names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    if (names.size() < 2 || compareNames(names[0], u"Registry") != 0) return false;
    std::size_t first = 2;
    if (compareNames(names[1], u"Machine") == 0) {
        hive = &machine_;
    } else if (compareNames(names[1], u"User") == 0 && names.size() >= 3) {
        hive = &user_;  // the one user a prefix has
        first = 3;
    } else {
        return false;
    }
    RegKey* k = hive->root.get();
    for (std::size_t i = first; i < names.size(); ++i) {
        k = k->findSubkey(names[i]);
        if (!k || !followLink(hive, k, depth + 1)) return false;
    }
    key = k;
    return true;
}

RegStatus KeyTreeRegistry::RegCreateKeyA(KeyHandle key, const std::string& subKey, KeyHandle* result) {
    if (!result) return RegStatus::InvalidParameter;
    refresh();
    Node base;
    std::vector<std::u16string> parts;
    if (!splitPath(subKey, parts)) return RegStatus::BadPathname;
    // Look first: opening an existing key changes nothing.
    if (RegStatus rc = resolve(key, false, base); rc == RegStatus::Success) {
        RegKey* k = base.key;
        for (const auto& part : parts) {
            k = k->findSubkey(part);
            if (!k) break;
        }
        if (k) {
            *result = newHandle(base.hive, k, KeyAccess::AllAccess);
            return RegStatus::Success;
        }
        if (!allows(base.access, KeyAccess::CreateSubKey)) return RegStatus::AccessDenied;
    } else if (rc != RegStatus::FileNotFound || key != RootKey::ClassesRoot) {
        return rc;
    }
    if (RegStatus rc = beginWrite(); rc != RegStatus::Success) return rc;
    if (RegStatus rc = resolve(key, true, base); rc != RegStatus::Success) return endWrite(rc);
    RegKey* k = base.key;
    for (const auto& part : parts) {
        RegKey* sub = k->findSubkey(part);
        if (!sub) {
            k->touch();
            sub = k->addSubkey(part, fileTimeNow());
            sub->touched = true;
            base.hive->dirty = true;
        }
        k = sub;
    }
    *result = newHandle(base.hive, k, KeyAccess::AllAccess);
    return changedThrough(*result, RegStatus::Success);
}

RegStatus KeyTreeRegistry::RegCloseKey(KeyHandle key) {
    if (isPredefined(key)) return RegStatus::Success;
    auto it = handles_.find(key);
    if (it == handles_.end()) return RegStatus::InvalidHandle;
    const bool changed = it->second.changed;
    if (changed) --changedHandles_;
    handles_.erase(it);
    if (changed && !anyChangedHandle()) {
        std::string error;
        if (!keep(error)) return RegStatus::AccessDenied;
    }
    return RegStatus::Success;
}

RegStatus KeyTreeRegistry::RegQueryValueExA(KeyHandle key, const std::string& valueName, RegType* type,
                                            std::uint8_t* data, std::uint32_t* dataSize) {
    Node n;
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
    if (!allows(n.access, KeyAccess::QueryValue)) return RegStatus::AccessDenied;
    const RegValue* v = n.key->findValue(codePage_.toUtf16(valueName));
    if (!v) return RegStatus::FileNotFound;
    return copyData(*v, type, data, dataSize);
}

RegStatus KeyTreeRegistry::RegSetValueExA(KeyHandle key, const std::string& valueName, RegType type,
                                          const std::uint8_t* data, std::uint32_t dataSize) {
    if (!data && dataSize) return RegStatus::InvalidParameter;
    Node n;
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
    if (!allows(n.access, KeyAccess::SetValue)) return RegStatus::AccessDenied;
    if (RegStatus rc = beginWrite(); rc != RegStatus::Success) return rc;
    // The trees may have been read again.
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return endWrite(rc);
    RegValue v;
    v.name = codePage_.toUtf16(valueName);
    v.type = static_cast<std::uint32_t>(type);
    std::string bytes(reinterpret_cast<const char*>(data), data ? dataSize : 0);
    // A string whose count leaves out its terminator gets one, as Windows NT
    // adds it (it finds the zero right after the count, where every caller
    // of ours has one).
    if (isString(type) && !bytes.empty() && bytes.back() != '\0') bytes += '\0';
    if (isString(type)) {
        for (char16_t u : codePage_.toUtf16(bytes)) {
            v.data += static_cast<char>(u & 0xFF);
            v.data += static_cast<char>(u >> 8);
        }
    } else {
        v.data = bytes;
    }
    n.key->setValue(std::move(v));
    n.key->touch();
    n.hive->dirty = true;
    return changedThrough(key, RegStatus::Success);
}

RegStatus KeyTreeRegistry::RegEnumKeyExA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) {
    Node n;
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
    if (!allows(n.access, KeyAccess::EnumerateSubKeys)) return RegStatus::AccessDenied;
    if (index >= n.key->subkeys.size()) return RegStatus::NoMoreItems;
    return copyName(codePage_.fromUtf16(n.key->subkeys[index]->name), name, nameSize);
}

RegStatus KeyTreeRegistry::RegEnumValueA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                                         RegType* type, std::uint8_t* data, std::uint32_t* dataSize) {
    Node n;
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
    if (!allows(n.access, KeyAccess::QueryValue)) return RegStatus::AccessDenied;
    if (index >= n.key->values.size()) return RegStatus::NoMoreItems;
    const RegValue& v = n.key->values[index];
    if (RegStatus rc = copyName(codePage_.fromUtf16(v.name), name, nameSize); rc != RegStatus::Success) return rc;
    return copyData(v, type, data, dataSize);
}

RegStatus KeyTreeRegistry::RegDeleteKeyA(KeyHandle key, const std::string& subKey) {
    Node n;
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
    if (!allows(n.access, KeyAccess::SetValue | KeyAccess::CreateSubKey | KeyAccess::Delete))
        return RegStatus::AccessDenied;
    if (RegStatus rc = beginWrite(); rc != RegStatus::Success) return rc;
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return endWrite(rc);
    std::vector<std::u16string> parts;
    if (!splitPath(subKey, parts)) return endWrite(RegStatus::BadPathname);
    RegKey* k = n.key;
    for (const auto& part : parts) {
        k = k->findSubkey(part);
        if (!k) return endWrite(RegStatus::FileNotFound);
    }
    if (!k->parent || k == classesKey()) return endWrite(RegStatus::AccessDenied);  // a root
    if (!k->subkeys.empty()) return endWrite(RegStatus::AccessDenied);
    RegKey* parent = k->parent;
    parent->removeSubkey(k);
    parent->touch();
    n.hive->dirty = true;
    return changedThrough(key, RegStatus::Success);
}

RegStatus KeyTreeRegistry::RegDeleteValueA(KeyHandle key, const std::string& valueName) {
    Node n;
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
    if (!allows(n.access, KeyAccess::SetValue)) return RegStatus::AccessDenied;
    if (RegStatus rc = beginWrite(); rc != RegStatus::Success) return rc;
    if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return endWrite(rc);
    if (!n.key->removeValue(codePage_.toUtf16(valueName))) return endWrite(RegStatus::FileNotFound);
    n.key->touch();
    n.hive->dirty = true;
    return changedThrough(key, RegStatus::Success);
}

RegKey* KeyTreeRegistry::classesKey() const {
    RegKey* sw = machine_.root->findSubkey(u"Software");
    return sw ? sw->findSubkey(u"Classes") : nullptr;
}

// The key behind a handle. `create` makes HKEY_CLASSES_ROOT's key when the
// machine tree lacks it.
RegStatus KeyTreeRegistry::resolve(KeyHandle key, bool create, Node& out) {
    out.access = KeyAccess::AllAccess;
    if (key == RootKey::CurrentUser) {
        out.hive = &user_;
        out.key = user_.root.get();
        return RegStatus::Success;
    }
    if (key == RootKey::LocalMachine) {
        out.hive = &machine_;
        out.key = machine_.root.get();
        return RegStatus::Success;
    }
    if (key == RootKey::ClassesRoot) {
        out.hive = &machine_;
        out.key = classesKey();
        if (!out.key && create) {
            RegKey* root = machine_.root.get();
            RegKey* sw = root->findSubkey(u"Software");
            if (!sw) {
                root->touch();
                sw = root->addSubkey(u"Software", fileTimeNow());
                sw->touched = true;
            }
            sw->touch();
            out.key = sw->addSubkey(u"Classes", fileTimeNow());
            out.key->touched = true;
            machine_.dirty = true;
        }
        return out.key ? RegStatus::Success : RegStatus::FileNotFound;
    }
    if (isPredefined(key)) return RegStatus::FileNotFound;
    auto it = handles_.find(key);
    if (it == handles_.end()) return RegStatus::InvalidHandle;
    if (it->second.key->deleted) return RegStatus::KeyDeleted;
    out.hive = it->second.hive;
    out.key = it->second.key.get();
    out.access = it->second.access;
    return RegStatus::Success;
}

KeyHandle KeyTreeRegistry::newHandle(Hive* hive, RegKey* key, KeyAccess access) {
    const KeyHandle h = nextHandle_;
    nextHandle_ += 4;
    handles_[h] = Handle{hive, sharedOf(hive->root, key), access, false};
    return h;
}

RegStatus KeyTreeRegistry::copyData(const RegValue& v, RegType* type, std::uint8_t* data,
                                    std::uint32_t* dataSize) const {
    if (type) *type = static_cast<RegType>(v.type);
    if (data && !dataSize) return RegStatus::InvalidParameter;
    std::string bytes = v.data;
    if (isString(static_cast<RegType>(v.type))) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < v.data.size(); i += 2)
            units += static_cast<char16_t>(static_cast<unsigned char>(v.data[i]) |
                                           (static_cast<unsigned char>(v.data[i + 1]) << 8));
        bytes = codePage_.fromUtf16(units);
    }
    if (!dataSize) return RegStatus::Success;
    const std::uint32_t capacity = *dataSize;
    *dataSize = static_cast<std::uint32_t>(bytes.size());
    if (!data) return RegStatus::Success;
    if (bytes.size() > capacity) return RegStatus::MoreData;
    std::memcpy(data, bytes.data(), bytes.size());
    return RegStatus::Success;
}

bool KeyTreeRegistry::anyChangedHandle() const { return changedHandles_ != 0; }

RegStatus KeyTreeRegistry::changedThrough(KeyHandle key, RegStatus rc) {
    if (isPredefined(key)) {
        std::string error;
        if (!keep(error)) return RegStatus::AccessDenied;
        return rc;
    }
    Handle& handle = handles_[key];
    if (!handle.changed) ++changedHandles_;
    handle.changed = true;
    return rc;
}

void KeyTreeRegistry::replaceRoot(Hive& hive, std::shared_ptr<RegKey> root) {
    for (auto& [id, handle] : handles_) {
        if (handle.hive != &hive) continue;
        const auto path = pathOf(handle.key.get(), hive.root.get());
        RegKey* k = handle.key->deleted ? nullptr : root.get();
        for (const auto& part : path) {
            if (!k) break;
            k = k->findSubkey(part);
        }
        if (k) {
            handle.key = sharedOf(root, k);
        } else {
            auto gone = std::make_shared<RegKey>();
            gone->deleted = true;
            handle.key = gone;
        }
    }
    hive.root = std::move(root);
}

bool KeyTreeRegistry::keep(std::string& error) { return holding_ || save(error); }

bool KeyTreeRegistry::holdChanges(std::string& why) {
    if (holding_) return true;
    // What was changed before the hold is kept now: a drop goes back to it.
    if (!save(why)) return false;
    if (keepsOwnCopyWhileHeld()) {
        heldUser_ = cloneTree(*user_.root);
        heldMachine_ = cloneTree(*machine_.root);
    }
    holding_ = true;
    return true;
}

bool KeyTreeRegistry::commitHeldChanges(std::string& why) {
    if (!holding_) return true;
    endHold();
    return save(why);
}

void KeyTreeRegistry::dropHeldChanges() {
    if (!holding_) return;
    restoreHeldTrees();
    endHold();
}

void KeyTreeRegistry::endHold() {
    holding_ = false;
    heldUser_.reset();
    heldMachine_.reset();
}

void KeyTreeRegistry::restoreHeldTrees() {
    if (heldUser_) replaceRoot(user_, heldUser_);
    if (heldMachine_) replaceRoot(machine_, heldMachine_);
    user_.dirty = machine_.dirty = false;
}

}  // namespace qm::platform
