#include "platform/wine/WineRegistry.h"

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "platform/CodePage.h"
#include "platform/wine/RegFile.h"
#include "platform/wine/RegServerLock.h"

namespace qm::platform::wine {
namespace {


constexpr const char* kUserRelative = "REGISTRY\\User\\S-1-5-21-0-0-0-1000";
constexpr const char* kMachineRelative = "REGISTRY\\Machine";

bool isString(RegType type) { return type == RegType::Sz || type == RegType::ExpandSz || type == RegType::MultiSz; }

struct FileId {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    struct timespec mtime {};
    bool operator==(const FileId& o) const {
        return exists == o.exists && (!exists || (dev == o.dev && ino == o.ino && size == o.size &&
                                                  mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec));
    }
};

FileId fileId(const std::string& path) {
    FileId id;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return id;
    id.exists = true;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtime = st.st_mtim;
    return id;
}

bool readWhole(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    bytes = ss.str();
    return !in.bad();
}

struct Hive {
    std::string path;
    std::string relativeTo;
    RegHive data;
    FileId id;           // the file as we last read or wrote it
    bool dirty = false;  // changes not yet on disk
    bool create = false; // missing file to be written on the first save
};

// Splits "a\b\c" into its names. A trailing backslash is allowed, as in
// Windows; a leading one or an empty name inside is a bad path (false).
bool splitPath(const std::string& ansi, std::vector<std::u16string>& parts) {
    parts.clear();
    std::u16string all = CodePage::toUtf16(ansi);
    while (!all.empty() && all.back() == u'\\') all.pop_back();
    if (all.empty()) return true;
    size_t start = 0;
    while (start <= all.size()) {
        size_t sep = all.find(u'\\', start);
        if (sep == std::u16string::npos) sep = all.size();
        if (sep == start) return false;
        parts.push_back(all.substr(start, sep - start));
        start = sep + 1;
    }
    return true;
}

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

class Impl final : public WineRegistry {
public:
    explicit Impl(const std::string& prefix) : prefix_(prefix), guard_(prefix) {}
    ~Impl() override {
        std::string error;
        flush(error);
        guard_.release();
    }

    bool load(bool create, std::string& error) {
        user_.path = prefix_ + "/user.reg";
        user_.relativeTo = kUserRelative;
        system_.path = prefix_ + "/system.reg";
        system_.relativeTo = kMachineRelative;
        for (Hive* h : {&user_, &system_}) {
            h->id = fileId(h->path);
            if (!h->id.exists) {
                if (!create && h == &user_) {
                    error = h->path + ": no such file (not a Wine prefix?)";
                    return false;
                }
                h->data = RegHive::empty(h->relativeTo);
                h->create = create;
                continue;
            }
            if (!readHive(*h, error)) return false;
        }
        return true;
    }

    // --- Registry ---------------------------------------------------------

    RegStatus RegOpenKeyExA(KeyHandle key, const std::string& subKey, KeyAccess access, KeyHandle* result) override {
        if (!result) return RegStatus::InvalidParameter;
        refresh();
        Node base;
        if (RegStatus rc = resolve(key, false, base); rc != RegStatus::Success) return rc;
        std::vector<std::u16string> parts;
        if (!splitPath(subKey, parts)) return RegStatus::BadPathname;
        RegKey* k = base.key;
        for (const auto& part : parts) {
            k = k->findSubkey(part);
            if (!k) return RegStatus::FileNotFound;
        }
        *result = newHandle(base.hive, k, access);
        return RegStatus::Success;
    }

    RegStatus RegCreateKeyA(KeyHandle key, const std::string& subKey, KeyHandle* result) override {
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
        } else if (rc != RegStatus::FileNotFound || !isClassesRoot(key)) {
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

    RegStatus RegCloseKey(KeyHandle key) override {
        if (isPredefined(key)) return RegStatus::Success;
        auto it = handles_.find(key);
        if (it == handles_.end()) return RegStatus::InvalidHandle;
        bool changed = it->second.changed;
        handles_.erase(it);
        if (changed && !anyChangedHandle()) {
            std::string error;
            if (!save(error)) return RegStatus::AccessDenied;
        }
        return RegStatus::Success;
    }

    RegStatus RegQueryValueExA(KeyHandle key, const std::string& valueName, RegType* type, std::uint8_t* data,
                          std::uint32_t* dataSize) override {
        Node n;
        if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
        if (!allows(n.access, KeyAccess::QueryValue)) return RegStatus::AccessDenied;
        const RegValue* v = n.key->findValue(CodePage::toUtf16(valueName));
        if (!v) return RegStatus::FileNotFound;
        return copyData(*v, type, data, dataSize);
    }

    RegStatus RegSetValueExA(KeyHandle key, const std::string& valueName, RegType type, const std::uint8_t* data,
                        std::uint32_t dataSize) override {
        if (!data && dataSize) return RegStatus::InvalidParameter;
        Node n;
        if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
        if (!allows(n.access, KeyAccess::SetValue)) return RegStatus::AccessDenied;
        if (RegStatus rc = beginWrite(); rc != RegStatus::Success) return rc;
        if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return endWrite(rc);  // the files may have been reread
        RegValue v;
        v.name = CodePage::toUtf16(valueName);
        v.type = static_cast<std::uint32_t>(type);
        std::string bytes(reinterpret_cast<const char*>(data), data ? dataSize : 0);
        if (isString(type)) {
            for (char16_t u : CodePage::toUtf16(bytes)) {
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

    RegStatus RegEnumKeyExA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) override {
        Node n;
        if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
        if (!allows(n.access, KeyAccess::EnumerateSubKeys)) return RegStatus::AccessDenied;
        if (index >= n.key->subkeys.size()) return RegStatus::NoMoreItems;
        return copyName(CodePage::fromUtf16(n.key->subkeys[index]->name), name, nameSize);
    }

    RegStatus RegEnumValueA(KeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize, RegType* type,
                       std::uint8_t* data, std::uint32_t* dataSize) override {
        Node n;
        if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
        if (!allows(n.access, KeyAccess::QueryValue)) return RegStatus::AccessDenied;
        if (index >= n.key->values.size()) return RegStatus::NoMoreItems;
        const RegValue& v = n.key->values[index];
        if (RegStatus rc = copyName(CodePage::fromUtf16(v.name), name, nameSize); rc != RegStatus::Success) return rc;
        return copyData(v, type, data, dataSize);
    }

    RegStatus RegDeleteKeyA(KeyHandle key, const std::string& subKey) override {
        Node n;
        if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
        if (!allows(n.access, KeyAccess::SetValue | KeyAccess::CreateSubKey | KeyAccess::Delete)) return RegStatus::AccessDenied;
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

    RegStatus RegDeleteValueA(KeyHandle key, const std::string& valueName) override {
        Node n;
        if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return rc;
        if (!allows(n.access, KeyAccess::SetValue)) return RegStatus::AccessDenied;
        if (RegStatus rc = beginWrite(); rc != RegStatus::Success) return rc;
        if (RegStatus rc = resolve(key, false, n); rc != RegStatus::Success) return endWrite(rc);
        if (!n.key->removeValue(CodePage::toUtf16(valueName))) return endWrite(RegStatus::FileNotFound);
        n.key->touch();
        n.hive->dirty = true;
        return changedThrough(key, RegStatus::Success);
    }

    std::string problem() const override {
        if (pid_t pid = guard_.runningServer()) return guard_.serverMessage(pid);
        return problem_;
    }

    bool flush(std::string& error) override { return save(error); }

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
    static bool isClassesRoot(KeyHandle key) { return key == RootKey::ClassesRoot; }

    RegKey* classesKey() const {
        RegKey* sw = system_.data.root->findSubkey(u"Software");
        return sw ? sw->findSubkey(u"Classes") : nullptr;
    }

    // The key behind a handle. `create` makes HKEY_CLASSES_ROOT's key when
    // system.reg lacks it.
    RegStatus resolve(KeyHandle key, bool create, Node& out) {
        out.access = KeyAccess::AllAccess;
        if (key == RootKey::CurrentUser) {
            out.hive = &user_;
            out.key = user_.data.root.get();
            return RegStatus::Success;
        }
        if (key == RootKey::LocalMachine) {
            out.hive = &system_;
            out.key = system_.data.root.get();
            return RegStatus::Success;
        }
        if (key == RootKey::ClassesRoot) {
            out.hive = &system_;
            out.key = classesKey();
            if (!out.key && create) {
                RegKey* root = system_.data.root.get();
                RegKey* sw = root->findSubkey(u"Software");
                if (!sw) {
                    root->touch();
                    sw = root->addSubkey(u"Software", fileTimeNow());
                    sw->touched = true;
                }
                sw->touch();
                out.key = sw->addSubkey(u"Classes", fileTimeNow());
                out.key->touched = true;
                system_.dirty = true;
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

    KeyHandle newHandle(Hive* hive, RegKey* key, KeyAccess access) {
        KeyHandle h = nextHandle_;
        nextHandle_ += 4;
        handles_[h] = Handle{hive, sharedOf(*hive, key), access, false};
        return h;
    }

    static std::shared_ptr<RegKey> sharedOf(const Hive& hive, RegKey* key) {
        if (!key->parent) return hive.data.root;
        for (const auto& s : key->parent->subkeys)
            if (s.get() == key) return s;
        return nullptr;
    }

    RegStatus copyData(const RegValue& v, RegType* type, std::uint8_t* data, std::uint32_t* dataSize) {
        if (type) *type = static_cast<RegType>(v.type);
        if (data && !dataSize) return RegStatus::InvalidParameter;
        std::string bytes = v.data;
        if (isString(static_cast<RegType>(v.type))) {
            std::u16string units;
            for (size_t i = 0; i + 1 < v.data.size(); i += 2)
                units += static_cast<char16_t>(static_cast<unsigned char>(v.data[i]) |
                                               (static_cast<unsigned char>(v.data[i + 1]) << 8));
            bytes = CodePage::fromUtf16(units);
        }
        if (!dataSize) return RegStatus::Success;
        std::uint32_t capacity = *dataSize;
        *dataSize = static_cast<std::uint32_t>(bytes.size());
        if (!data) return RegStatus::Success;
        if (bytes.size() > capacity) return RegStatus::MoreData;
        std::memcpy(data, bytes.data(), bytes.size());
        return RegStatus::Success;
    }

    bool anyChangedHandle() const {
        for (const auto& [h, handle] : handles_)
            if (handle.changed) return true;
        return false;
    }

    bool anyPending() const { return user_.dirty || user_.create || system_.dirty || system_.create; }

    // Before a change: no server may run, and we take its lock so none starts
    // before our save.
    RegStatus beginWrite() {
        if (broken_[0] || broken_[1]) return RegStatus::AccessDenied;
        if (!guard_.held()) {
            std::string error;
            if (!guard_.acquire(error)) return RegStatus::AccessDenied;
            refresh();
            if (broken_[0] || broken_[1]) {
                endWrite(RegStatus::Success);
                return RegStatus::AccessDenied;
            }
        }
        return RegStatus::Success;
    }

    // A write that changed nothing gives the lock back when nothing waits to
    // be saved.
    RegStatus endWrite(RegStatus rc) {
        if (!anyPending() && !anyChangedHandle()) guard_.release();
        return rc;
    }

    // A change through `key`: through a predefined root it is saved at once;
    // through an opened handle, when the last handle with changes closes.
    RegStatus changedThrough(KeyHandle key, RegStatus rc) {
        if (isPredefined(key)) {
            std::string error;
            if (!save(error)) return RegStatus::AccessDenied;
            return rc;
        }
        handles_[key].changed = true;
        return rc;
    }

    bool save(std::string& error) {
        if (!anyPending()) return true;
        if (!guard_.held() && !guard_.acquire(error)) {
            problem_ = error;
            return false;
        }
        bool ok = true;
        for (Hive* h : {&user_, &system_}) {
            if (!h->dirty && !h->create) continue;
            if (!writeFileAtomically(h->path, h->data.serialize(), error)) {
                error = "cannot save the registry of " + prefix_ + ": " + error;
                ok = false;
                break;
            }
            h->dirty = h->create = false;
            h->id = fileId(h->path);
        }
        problem_ = ok ? std::string() : error;
        if (!anyChangedHandle()) guard_.release();
        return ok;
    }

    bool readHive(Hive& h, std::string& error) {
        std::string bytes;
        if (!readWhole(h.path, bytes)) {
            error = h.path + ": cannot read: " + std::strerror(errno);
            return false;
        }
        RegHive parsed;
        if (!RegHive::parse(bytes, h.path, parsed, error)) return false;
        h.data = std::move(parsed);
        return true;
    }

    // Wine may have rewritten a file since we read it (a program of the
    // prefix ran meanwhile): read it again rather than save over it later.
    // Changes not yet saved stay (we hold the server lock while they wait).
    void refresh() {
        for (Hive* h : {&user_, &system_}) {
            if (h->dirty || h->create) continue;
            FileId now = fileId(h->path);
            if (now == h->id) continue;
            std::string error;
            if (!now.exists) continue;
            Hive fresh = *h;
            if (!readHive(fresh, error)) {
                broken_[h == &system_] = true;
                problem_ = error + " (the file changed on disk and is no longer readable; it is left as it is)";
                continue;
            }
            broken_[h == &system_] = false;
            fresh.id = now;
            remapHandles(*h, fresh);
            h->data = std::move(fresh.data);
            h->id = now;
        }
    }

    void remapHandles(Hive& oldHive, Hive& fresh) {
        for (auto& [id, handle] : handles_) {
            if (handle.hive != &oldHive) continue;
            auto path = pathOf(handle.key.get(), oldHive.data.root.get());
            RegKey* k = handle.key->deleted ? nullptr : fresh.data.root.get();
            for (const auto& part : path) {
                if (!k) break;
                k = k->findSubkey(part);
            }
            if (k) {
                handle.key = sharedOf(fresh, k);
            } else {
                auto gone = std::make_shared<RegKey>();
                gone->deleted = true;
                handle.key = gone;
            }
        }
    }

    std::string prefix_;
    WineServerGuard guard_;
    Hive user_;
    Hive system_;
    bool broken_[2] = {false, false};
    std::map<KeyHandle, Handle> handles_;
    KeyHandle nextHandle_ = 0x1000;
    std::string problem_;
};

}  // namespace

WineRegistry::~WineRegistry() = default;

std::unique_ptr<WineRegistry> WineRegistry::open(const std::string& prefixHostPath, bool create, std::string& error) {
    std::string prefix = prefixHostPath;
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    struct stat st {};
    if (stat(prefix.c_str(), &st) != 0) {
        if (!create || mkdir(prefix.c_str(), 0755) != 0) {
            error = "Wine prefix " + prefix + ": " + std::strerror(errno);
            return nullptr;
        }
    } else if (!S_ISDIR(st.st_mode)) {
        error = "Wine prefix " + prefix + " is not a folder";
        return nullptr;
    }
    auto reg = std::make_unique<Impl>(prefix);
    if (!reg->load(create, error)) return nullptr;
    return reg;
}

}  // namespace qm::platform::wine
