#pragma once
// Host file work of the archive component: sources streamed while the
// archive is written, and archives or extracted files that are written beside
// their target and put in place only when complete and on disk.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm::archive::detail {

struct FileInfo {
    bool exists = false;
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
    std::int64_t mtimeSec = 0;
    std::int64_t mtimeNsec = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool sameFile(const FileInfo& o) const { return device == o.device && inode == o.inode; }
    // Same file, same size, same modification time: nothing was written to it.
    bool unchanged(const FileInfo& o) const {
        return sameFile(o) && size == o.size && mtimeSec == o.mtimeSec && mtimeNsec == o.mtimeNsec;
    }
};

FileInfo statPath(const std::string& hostPath);

class HostFile {
public:
    HostFile() = default;
    ~HostFile() { close(); }
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    bool openRead(const std::string& hostPath);
    bool isOpen() const { return fd_ >= 0; }
    FileInfo info() const;
    // Bytes read, 0 at the end, -1 on failure.
    std::int64_t read(void* buffer, std::size_t length);
    bool writeAll(const void* data, std::size_t length);
    // whence: SEEK_SET, SEEK_CUR, SEEK_END.
    bool seek(std::int64_t offset, int whence);
    std::int64_t tell();
    bool sync();
    bool setModified(std::int64_t seconds);
    void close();
    // The system error code of the last failure.
    int error() const { return error_; }

private:
    friend class PartFile;
    int fd_ = -1;
    int error_ = 0;
};

// "<target>.qmpart-XXXXXX" beside the target: created exclusively, locked
// while this process uses it, and renamed over the target by commit().
class PartFile {
public:
    PartFile() = default;
    ~PartFile() { discard(); }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool create(const std::string& targetHostPath);
    HostFile& file() { return file_; }
    const std::string& path() const { return path_; }
    // Flushes the file, renames it over the target and flushes the folder.
    bool commit();
    // Closes and removes the file unless it was committed.
    void discard();
    int error() const { return error_; }

private:
    HostFile file_;
    std::string path_;
    std::string target_;
    int error_ = 0;
};

// Removes the part files of earlier runs for this target that no running
// process holds (a run that was killed leaves its part file behind).
void removeLeftovers(const std::string& targetHostPath);

// "folder/name" -> ("folder", "name").
void splitHostPath(const std::string& hostPath, std::string& folder, std::string& name);

}  // namespace qm::archive::detail
