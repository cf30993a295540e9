#include "platform/wine/WineRegistry.h"

#include <sys/stat.h>

#include <cerrno>
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

    std::vector<std::string> takeNotices() override { return guard_.takeNotices(); }

    bool flush(std::string& error) override { return save(error); }

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
