#include "platform/wine/WineRegistry.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "platform/CodePage.h"
#include "platform/posix/HostFile.h"
#include "platform/wine/RegFile.h"
#include "platform/wine/RegServerLock.h"

namespace qm::platform::wine {
namespace {


constexpr const char* kUserRelative = "REGISTRY\\User\\S-1-5-21-0-0-0-1000";
constexpr const char* kMachineRelative = "REGISTRY\\Machine";
// Wine's own files stay far below this (tens of MiB for a prefix full of
// programs); the bound keeps a damaged or hostile file from taking all memory.
constexpr std::uint64_t kMaxRegistryFileBytes = 256ull << 20;

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

// One registry file and what we know of it on disk.
struct HiveFile {
    std::string path;
    std::string relativeTo;
    RegHive data;        // its root is the tree the registry works on
    FileId id;           // the file as we last read or wrote it
    bool create = false; // missing file to be written on the first save
    bool broken = false; // changed on disk and no longer readable
};

// FNV-1a over the bytes, with their length: which of two known contents a
// file holds, not a guard against forgery.
std::string fingerprintOf(const std::string& bytes) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%zx-%016llx", bytes.size(), static_cast<unsigned long long>(hash));
    return text;
}

class Impl final : public WineRegistry {
public:
    Impl(const std::string& prefix, const CodePage& codePage) : WineRegistry(codePage), prefix_(prefix), guard_(prefix) {}
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
        for (HiveFile* h : {&user_, &system_}) {
            // A save that was killed left its new file beside the old one.
            posix::removeStaleReplacements(h->path);
            h->id = fileId(h->path);
            if (!h->id.exists) {
                if (!create && h == &user_) {
                    error = h->path + ": no such file (not a Wine prefix?)";
                    return false;
                }
                h->data = RegHive::empty(h->relativeTo);
                h->create = create;
            } else if (!readHive(*h, error)) {
                return false;
            }
            treeOf(*h).root = h->data.root;
        }
        return true;
    }

    std::string problem() const override {
        if (pid_t pid = guard_.runningServer()) return guard_.serverMessage(pid);
        return problem_;
    }

    std::string liveWarning() const override { return guard_.runningServer() ? guard_.liveMessage() : std::string(); }

    bool flush(std::string& error) override { return save(error); }

    bool prepareHeldChanges(std::string& fingerprint, std::string& why) override {
        prepared_.clear();
        fingerprint.clear();
        if (!holding()) return true;
        for (HiveFile* h : {&system_, &user_}) {
            Hive& tree = treeOf(*h);
            if (!tree.dirty && !h->create) continue;
            h->data.root = tree.root;
            prepared_.emplace_back(h, h->data.serialize());
        }
        if (prepared_.empty()) return true;
        // user.reg is written last: its replacement is the commit.
        std::string userBytes;
        if (prepared_.back().first == &user_) {
            userBytes = prepared_.back().second;
        } else if (!posix::readWholeHost(user_.path, userBytes, kMaxRegistryFileBytes)) {
            why = "cannot read " + user_.path;
            return false;
        }
        fingerprint = fingerprintOf(userBytes);
        return true;
    }

    bool commitHeldChanges(std::string& why) override {
        if (!holding()) return true;
        for (auto& [h, bytes] : prepared_) {
            if (!posix::writeWholeAtomically(h->path, bytes, why)) {
                why = "cannot save the registry of " + prefix_ + ": " + why;
                problem_ = why;
                return false;
            }
            treeOf(*h).dirty = h->create = false;
            h->id = fileId(h->path);
        }
        prepared_.clear();
        endHold();
        // Anything changed after the preparation is kept the usual way.
        if (!save(why)) return false;
        if (!anyChangedHandle()) guard_.release();
        return true;
    }

    std::string storedFingerprint() const override {
        std::string bytes;
        if (!posix::readWholeHost(user_.path, bytes, kMaxRegistryFileBytes)) return "missing";
        return fingerprintOf(bytes);
    }

protected:
    // Before a change: no server may run, and we take its lock so none starts
    // before our save.
    RegStatus beginWrite() override {
        if (user_.broken || system_.broken) return RegStatus::AccessDenied;
        if (!guard_.held()) {
            std::string error;
            if (!guard_.acquire(error)) return RegStatus::AccessDenied;
            refresh();
            if (user_.broken || system_.broken) {
                endWrite(RegStatus::Success);
                return RegStatus::AccessDenied;
            }
        }
        return RegStatus::Success;
    }

    // A write that changed nothing gives the lock back when nothing waits to
    // be saved.
    RegStatus endWrite(RegStatus rc) override {
        if (!anyPending() && !anyChangedHandle()) guard_.release();
        return rc;
    }

    bool save(std::string& error) override {
        if (!anyPending()) return true;
        if (!guard_.held() && !guard_.acquire(error)) {
            problem_ = error;
            return false;
        }
        bool ok = true;
        for (HiveFile* h : {&user_, &system_}) {
            Hive& tree = treeOf(*h);
            if (!tree.dirty && !h->create) continue;
            h->data.root = tree.root;
            if (!posix::writeWholeAtomically(h->path, h->data.serialize(), error)) {
                error = "cannot save the registry of " + prefix_ + ": " + error;
                ok = false;
                break;
            }
            tree.dirty = h->create = false;
            h->id = fileId(h->path);
        }
        problem_ = ok ? std::string() : error;
        if (!anyChangedHandle()) guard_.release();
        return ok;
    }

    // The files say what was there when the hold began.
    bool keepsOwnCopyWhileHeld() const override { return false; }
    void restoreHeldTrees() override {
        prepared_.clear();
        for (HiveFile* h : {&user_, &system_}) {
            Hive& tree = treeOf(*h);
            tree.dirty = false;
            if (h->create) {
                h->data = RegHive::empty(h->relativeTo);
                replaceRoot(tree, h->data.root);
                continue;
            }
            HiveFile fresh = *h;
            std::string error;
            if (!readHive(fresh, error)) {
                h->broken = true;
                problem_ = error;
                continue;
            }
            h->data = std::move(fresh.data);
            h->id = fileId(h->path);
            replaceRoot(tree, h->data.root);
        }
        if (!anyChangedHandle()) guard_.release();
    }

    // Wine may have rewritten a file since we read it (a program of the
    // prefix ran meanwhile): read it again rather than save over it later.
    // Changes not yet saved stay (we hold the server lock while they wait).
    void refresh() override {
        for (HiveFile* h : {&user_, &system_}) {
            if (treeOf(*h).dirty || h->create) continue;
            const FileId now = fileId(h->path);
            if (now == h->id || !now.exists) continue;
            HiveFile fresh = *h;
            std::string error;
            if (!readHive(fresh, error)) {
                h->broken = true;
                problem_ = error + " (the file changed on disk and is no longer readable; it is left as it is)";
                continue;
            }
            h->broken = false;
            h->data = std::move(fresh.data);
            h->id = now;
            replaceRoot(treeOf(*h), h->data.root);
        }
    }

private:
    Hive& treeOf(const HiveFile& h) { return &h == &user_ ? userHive() : machineHive(); }
    bool anyPending() const {
        return userHive().dirty || user_.create || machineHive().dirty || system_.create;
    }

    static bool readHive(HiveFile& h, std::string& error) {
        std::string bytes;
        errno = 0;
        if (!posix::readWholeHost(h.path, bytes, kMaxRegistryFileBytes)) {
            if (errno == EFBIG)
                error = h.path + ": larger than " + std::to_string(kMaxRegistryFileBytes >> 20) +
                        " MiB, too large to be a Wine registry file";
            else
                error = h.path + (errno ? std::string(": cannot read: ") + std::strerror(errno) : ": not a regular file");
            return false;
        }
        RegHive parsed;
        if (!RegHive::parse(bytes, h.path, parsed, error)) return false;
        h.data = std::move(parsed);
        return true;
    }

    std::string prefix_;
    WineServerGuard guard_;
    HiveFile user_;
    HiveFile system_;
    std::string problem_;
    // What prepareHeldChanges made of the held changes, system.reg first.
    std::vector<std::pair<HiveFile*, std::string>> prepared_;
};

}  // namespace

WineRegistry::~WineRegistry() = default;

std::unique_ptr<WineRegistry> WineRegistry::open(const std::string& prefixHostPath, bool create,
                                                const CodePage& codePage, std::string& error) {
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
    auto reg = std::make_unique<Impl>(prefix, codePage);
    if (!reg->load(create, error)) return nullptr;
    return reg;
}

}  // namespace qm::platform::wine
