#pragma once
// Host files on a POSIX system: whole-file reads, streamed reads, and new
// files written beside their target that replace it only when complete and
// on disk.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/FileStreams.h"
#include "platform/FileSystem.h"

namespace qm::platform::posix {

FileInfo statHost(const std::string& hostPath);

class HostFile {
public:
    HostFile() = default;
    ~HostFile() { close(); }
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    // Opens without waiting (a FIFO does not hang the open); callers refuse
    // what is no regular file.
    bool openRead(const std::string& hostPath);
    bool isOpen() const { return fd_ >= 0; }
    FileInfo info() const;
    // Bytes read, 0 at the end, -1 on failure.
    std::int64_t read(void* buffer, std::size_t length);
    bool writeAll(const void* data, std::size_t length);
    bool seek(std::int64_t offset, SeekFrom from);
    std::int64_t tell();
    bool sync();
    bool setModified(std::int64_t seconds);
    // Mode 0600: readable and writable by the owner alone.
    bool restrictToOwner();
    void close();
    // The system's text for the last failure.
    std::string error() const;

private:
    friend class ReplacementFile;
    int fd_ = -1;
    int error_ = 0;
};

// "<target>.qmpart-XXXXXX" beside the target (the target's name cut short
// when the whole would pass 255 bytes): created exclusively, locked while
// this process uses it, and renamed over the target by commit(). Replacing
// nothing it is made with mode 0600 (ownerOnly) or the usual rights; it
// replaces only a regular file of the running user (refused: a folder,
// device, FIFO, socket or link at the name, or another user's file), whose
// mode it takes with no more rights for the group and others than for the
// owner.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile() { discard(); }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool create(const std::string& targetHostPath, bool ownerOnly = true);
    HostFile& file() { return file_; }
    const std::string& path() const { return path_; }
    bool commit();
    void discard();
    // Flushes and closes the file and lets it be (see ReplaceStream::keep);
    // its host path, empty on failure.
    std::string keep();
    std::string error() const;

private:
    HostFile file_;
    std::string path_;
    std::string target_;
    int error_ = 0;
    std::string what_;
};

// Removes the replacement files of earlier runs for this target that no
// running process holds (a run that was killed leaves its file behind).
void removeStaleReplacements(const std::string& targetHostPath);

// The mode a new file at the path is created with (before the umask):
// 0600 in a folder that only its owner may enter, 0666 elsewhere.
unsigned newFileMode(const std::string& hostPath);

// A new folder of mode 0700, locked while the claim lives; null when it
// cannot be made or is there already.
std::unique_ptr<FolderClaim> createPrivateHostFolder(const std::string& hostPath);
// Removes a folder that no process holds locked, with the files (and
// links) directly in it; false when it is held or cannot be emptied.
bool removeUnclaimedHostFolder(const std::string& hostPath);
// Locks a folder no process holds locked; null when one does.
std::unique_ptr<FolderClaim> claimHostFolder(const std::string& hostPath);

// A regular file's bytes; false for anything else, a read error, or more
// than `maxBytes` (errno EFBIG; a file that grows while it is read ends
// there too).
bool readWholeHost(const std::string& hostPath, std::string& bytes, std::uint64_t maxBytes = UINT64_MAX);
// The bytes as the file's new content, through a replacement file.
bool writeWholeAtomically(const std::string& hostPath, const std::string& bytes, std::string& error);

// For tests: runs before a replacement is renamed into place, or a file of
// a Wine prefix is renamed or given a second name, with the path about to
// go; answering false abandons the rename.
std::function<bool(const std::string&)>& beforeRenameHook();

// "folder/name" -> ("folder", "name").
void splitHostPath(const std::string& hostPath, std::string& folder, std::string& name);

}  // namespace qm::platform::posix
