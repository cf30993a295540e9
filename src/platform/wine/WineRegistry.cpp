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

constexpr long ERROR_BAD_PATHNAME = 161;
constexpr long ERROR_KEY_DELETED = 1018;
constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr std::uint32_t DELETE_ACCESS = 0x00010000;
constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

constexpr const char* kUserRelative = "REGISTRY\\User\\S-1-5-21-0-0-0-1000";
constexpr const char* kMachineRelative = "REGISTRY\\Machine";

bool isString(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

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

long copyName(const std::string& name, char* buffer, std::uint32_t* size) {
    if (!buffer || !size) return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > *size) {
        *size = static_cast<std::uint32_t>(name.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = 0;
    *size = static_cast<std::uint32_t>(name.size());
    return ERROR_SUCCESS;
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

    long RegOpenKeyExA(HKEY key, const std::string& subKey, std::uint32_t access, HKEY* result) override {
        if (!result) return ERROR_INVALID_PARAMETER;
        refresh();
        Node base;
        if (long rc = resolve(key, false, base)) return rc;
        std::vector<std::u16string> parts;
        if (!splitPath(subKey, parts)) return ERROR_BAD_PATHNAME;
        RegKey* k = base.key;
        for (const auto& part : parts) {
            k = k->findSubkey(part);
            if (!k) return ERROR_FILE_NOT_FOUND;
        }
        *result = newHandle(base.hive, k, access);
        return ERROR_SUCCESS;
    }

    long RegCreateKeyA(HKEY key, const std::string& subKey, HKEY* result) override {
        if (!result) return ERROR_INVALID_PARAMETER;
        refresh();
        Node base;
        std::vector<std::u16string> parts;
        if (!splitPath(subKey, parts)) return ERROR_BAD_PATHNAME;
        // Look first: opening an existing key changes nothing.
        if (long rc = resolve(key, false, base); rc == ERROR_SUCCESS) {
            RegKey* k = base.key;
            for (const auto& part : parts) {
                k = k->findSubkey(part);
                if (!k) break;
            }
            if (k) {
                *result = newHandle(base.hive, k, KEY_ALL_ACCESS);
                return ERROR_SUCCESS;
            }
            if (!(base.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        } else if (rc != ERROR_FILE_NOT_FOUND || !isClassesRoot(key)) {
            return rc;
        }
        if (long rc = beginWrite()) return rc;
        if (long rc = resolve(key, true, base)) return endWrite(rc);
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
        *result = newHandle(base.hive, k, KEY_ALL_ACCESS);
        return changedThrough(*result, ERROR_SUCCESS);
    }

    long RegCloseKey(HKEY key) override {
        if (isPredefined(key)) return ERROR_SUCCESS;
        auto it = handles_.find(key);
        if (it == handles_.end()) return ERROR_INVALID_HANDLE;
        bool changed = it->second.changed;
        handles_.erase(it);
        if (changed && !anyChangedHandle()) {
            std::string error;
            if (!save(error)) return ERROR_ACCESS_DENIED;
        }
        return ERROR_SUCCESS;
    }

    long RegQueryValueExA(HKEY key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* dataSize) override {
        Node n;
        if (long rc = resolve(key, false, n)) return rc;
        if (!(n.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
        const RegValue* v = n.key->findValue(CodePage::toUtf16(valueName));
        if (!v) return ERROR_FILE_NOT_FOUND;
        return copyData(*v, type, data, dataSize);
    }

    long RegSetValueExA(HKEY key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                        std::uint32_t dataSize) override {
        if (!data && dataSize) return ERROR_INVALID_PARAMETER;
        Node n;
        if (long rc = resolve(key, false, n)) return rc;
        if (!(n.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
        if (long rc = beginWrite()) return rc;
        if (long rc = resolve(key, false, n)) return endWrite(rc);  // the files may have been reread
        RegValue v;
        v.name = CodePage::toUtf16(valueName);
        v.type = type;
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
        return changedThrough(key, ERROR_SUCCESS);
    }

    long RegEnumKeyExA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameSize) override {
        Node n;
        if (long rc = resolve(key, false, n)) return rc;
        if (!(n.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
        if (index >= n.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
        return copyName(CodePage::fromUtf16(n.key->subkeys[index]->name), name, nameSize);
    }

    long RegEnumValueA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                       std::uint8_t* data, std::uint32_t* dataSize) override {
        Node n;
        if (long rc = resolve(key, false, n)) return rc;
        if (!(n.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
        if (index >= n.key->values.size()) return ERROR_NO_MORE_ITEMS;
        const RegValue& v = n.key->values[index];
        if (long rc = copyName(CodePage::fromUtf16(v.name), name, nameSize)) return rc;
        return copyData(v, type, data, dataSize);
    }

    long RegDeleteKeyA(HKEY key, const std::string& subKey) override {
        Node n;
        if (long rc = resolve(key, false, n)) return rc;
        if (!(n.access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE_ACCESS))) return ERROR_ACCESS_DENIED;
        if (long rc = beginWrite()) return rc;
        if (long rc = resolve(key, false, n)) return endWrite(rc);
        std::vector<std::u16string> parts;
        if (!splitPath(subKey, parts)) return endWrite(ERROR_BAD_PATHNAME);
        RegKey* k = n.key;
        for (const auto& part : parts) {
            k = k->findSubkey(part);
            if (!k) return endWrite(ERROR_FILE_NOT_FOUND);
        }
        if (!k->parent || k == classesKey()) return endWrite(ERROR_ACCESS_DENIED);  // a root
        if (!k->subkeys.empty()) return endWrite(ERROR_ACCESS_DENIED);
        RegKey* parent = k->parent;
        parent->removeSubkey(k);
        parent->touch();
        n.hive->dirty = true;
        return changedThrough(key, ERROR_SUCCESS);
    }

    long RegDeleteValueA(HKEY key, const std::string& valueName) override {
        Node n;
        if (long rc = resolve(key, false, n)) return rc;
        if (!(n.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
        if (long rc = beginWrite()) return rc;
        if (long rc = resolve(key, false, n)) return endWrite(rc);
        if (!n.key->removeValue(CodePage::toUtf16(valueName))) return endWrite(ERROR_FILE_NOT_FOUND);
        n.key->touch();
        n.hive->dirty = true;
        return changedThrough(key, ERROR_SUCCESS);
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
        std::uint32_t access = 0;
        bool changed = false;
    };
    struct Node {
        Hive* hive = nullptr;
        RegKey* key = nullptr;
        std::uint32_t access = 0;
    };

    static bool isPredefined(HKEY key) { return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA; }
    static bool isClassesRoot(HKEY key) { return key == HKEY_CLASSES_ROOT; }

    RegKey* classesKey() const {
        RegKey* sw = system_.data.root->findSubkey(u"Software");
        return sw ? sw->findSubkey(u"Classes") : nullptr;
    }

    // The key behind a handle. `create` makes HKEY_CLASSES_ROOT's key when
    // system.reg lacks it.
    long resolve(HKEY key, bool create, Node& out) {
        out.access = KEY_ALL_ACCESS;
        if (key == HKEY_CURRENT_USER) {
            out.hive = &user_;
            out.key = user_.data.root.get();
            return ERROR_SUCCESS;
        }
        if (key == HKEY_LOCAL_MACHINE) {
            out.hive = &system_;
            out.key = system_.data.root.get();
            return ERROR_SUCCESS;
        }
        if (key == HKEY_CLASSES_ROOT) {
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
            return out.key ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        }
        if (isPredefined(key)) return ERROR_FILE_NOT_FOUND;
        auto it = handles_.find(key);
        if (it == handles_.end()) return ERROR_INVALID_HANDLE;
        if (it->second.key->deleted) return ERROR_KEY_DELETED;
        out.hive = it->second.hive;
        out.key = it->second.key.get();
        out.access = it->second.access;
        return ERROR_SUCCESS;
    }

    HKEY newHandle(Hive* hive, RegKey* key, std::uint32_t access) {
        HKEY h = nextHandle_;
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

    long copyData(const RegValue& v, std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
        if (type) *type = v.type;
        if (data && !dataSize) return ERROR_INVALID_PARAMETER;
        std::string bytes = v.data;
        if (isString(v.type)) {
            std::u16string units;
            for (size_t i = 0; i + 1 < v.data.size(); i += 2)
                units += static_cast<char16_t>(static_cast<unsigned char>(v.data[i]) |
                                               (static_cast<unsigned char>(v.data[i + 1]) << 8));
            bytes = CodePage::fromUtf16(units);
        }
        if (!dataSize) return ERROR_SUCCESS;
        std::uint32_t capacity = *dataSize;
        *dataSize = static_cast<std::uint32_t>(bytes.size());
        if (!data) return ERROR_SUCCESS;
        if (bytes.size() > capacity) return ERROR_MORE_DATA;
        std::memcpy(data, bytes.data(), bytes.size());
        return ERROR_SUCCESS;
    }

    bool anyChangedHandle() const {
        for (const auto& [h, handle] : handles_)
            if (handle.changed) return true;
        return false;
    }

    bool anyPending() const { return user_.dirty || user_.create || system_.dirty || system_.create; }

    // Before a change: no server may run, and we take its lock so none starts
    // before our save.
    long beginWrite() {
        if (broken_[0] || broken_[1]) return ERROR_ACCESS_DENIED;
        if (!guard_.held()) {
            std::string error;
            if (!guard_.acquire(error)) return ERROR_ACCESS_DENIED;
            refresh();
            if (broken_[0] || broken_[1]) {
                endWrite(0);
                return ERROR_ACCESS_DENIED;
            }
        }
        return ERROR_SUCCESS;
    }

    // A write that changed nothing gives the lock back when nothing waits to
    // be saved.
    long endWrite(long rc) {
        if (!anyPending() && !anyChangedHandle()) guard_.release();
        return rc;
    }

    // A change through `key`: through a predefined root it is saved at once;
    // through an opened handle, when the last handle with changes closes.
    long changedThrough(HKEY key, long rc) {
        if (isPredefined(key)) {
            std::string error;
            if (!save(error)) return ERROR_ACCESS_DENIED;
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
    std::map<HKEY, Handle> handles_;
    HKEY nextHandle_ = 0x1000;
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
