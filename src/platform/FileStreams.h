#pragma once
// Streams over files for work that does not fit in memory (archives): a
// source read in pieces, and a new file written beside its target that
// replaces the target only when complete and on disk.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qm::platform {

struct FileInfo {
    bool exists = false;
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
    std::int64_t mtimeSec = 0;
    std::int64_t mtimeNsec = 0;
    // Identity of the file itself, whatever name reaches it.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool sameFile(const FileInfo& o) const { return device == o.device && inode == o.inode; }
    // Same file, same size, same modification time: nothing was written to it.
    bool unchanged(const FileInfo& o) const {
        return sameFile(o) && size == o.size && mtimeSec == o.mtimeSec && mtimeNsec == o.mtimeNsec;
    }
};

enum class SeekFrom { Begin, Current, End };

// Who may read a new file that replaces nothing (one that replaces a file
// keeps that file's mode): its owner alone, as everything the program makes
// (archives and restored files hold private mail), or the system's usual
// rights.
enum class NewFileAccess { Usual, OwnerOnly };

class ReadStream {
public:
    virtual ~ReadStream() = default;
    // The file as it is now (not as it was opened).
    virtual FileInfo info() const = 0;
    // Bytes read, 0 at the end, -1 on failure.
    virtual std::int64_t read(void* buffer, std::size_t length) = 0;
    virtual bool seek(std::int64_t offset, SeekFrom from) = 0;
    virtual std::int64_t tell() = 0;
    // Why the last call failed.
    virtual std::string error() const = 0;
};

// A new file beside its target, created exclusively. It takes the mode of
// the file it replaces.
class ReplaceStream {
public:
    virtual ~ReplaceStream() = default;
    virtual bool write(const void* data, std::size_t length) = 0;
    virtual bool seek(std::int64_t offset, SeekFrom from) = 0;
    virtual std::int64_t tell() = 0;
    // Flushes the file, puts it in the target's place and flushes the
    // folder. The target is untouched when this fails.
    virtual bool commit() = 0;
    // Removes the new file unless it was committed (also on destruction).
    virtual void discard() = 0;
    // Flushes the new file to the disk and closes it without putting it in
    // place: it is then the caller's, to rename over the target later (a
    // restore puts all its files in place at once) or to remove. Answers its
    // name, in the target's folder; empty when it cannot be kept.
    virtual std::string keep() = 0;
    // The new file will stand under a name of its own, not in the target's
    // place: it takes no rights from the target, only its owner's.
    virtual bool restrictToOwner() { return true; }
    // Sets the modification time (seconds since 1970) of the new file.
    virtual bool setModified(std::int64_t seconds) = 0;
    // The new file as written so far, opened anew for reading before it is
    // committed, so that it can be checked as it lies on the disk. Null
    // once committed or discarded.
    virtual std::unique_ptr<ReadStream> readBack() = 0;
    virtual std::string error() const = 0;
};

}  // namespace qm::platform
