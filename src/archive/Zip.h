#pragma once
// The ZIP component `zip1`: builds and reads backup archives over libzip.
// Paths are Windows paths, mapped through the file layer. Entries are stored
// under their bare names.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qm::archive {

// In the work folder: the Windows path of the target a new file is being
// made beside, and a CR LF.
inline const char* const kReplacementsNote = "replacing.lst";

class ArchiveEvents {
public:
    virtual ~ArchiveEvents() = default;
    virtual void ArchiveEntryAdded(const std::string& fileName) = 0;
    virtual void ArchiveEntryExtracted(const std::string& fileName) = 0;
    virtual void ArchiveWriteProgress(int percent) = 0;
    virtual void ArchiveWriteDone() = 0;
    // A source that failed or changed while it was read; the entry is left
    // out and the write is completed with the others. Raised before the
    // archive is finished, so a handler may still change files added later.
    virtual void ArchiveEntryDropped(const std::string& /*fileName*/) {}
    // Polled while writing; true cancels the write (the target stays as it was).
    virtual bool ArchiveWriteCancelled() { return false; }
    // Raised every few hundred kilobytes read or written, so that a caller
    // on a window's thread can let the window answer.
    virtual void ArchiveWorking() {}
};

class Zip;

// A handle from FindEntry; invalid when the entry is not in the archive.
class ZipEntry {
public:
    ZipEntry() = default;
    bool valid() const { return zip_ != nullptr; }
    // Writes folder\<bare name>. False for an invalid handle, an unsafe name
    // (separators, drive, "..", empty), a wrong password, a write error, or
    // an entry that holds more than `maxBytes` (checked as it is inflated,
    // whatever its header claims); nothing is left behind then.
    bool ExtractEntryTo(const std::string& folder, std::uint64_t maxBytes = UINT64_MAX) const;
    const std::string& name() const { return name_; }

private:
    friend class Zip;
    ZipEntry(Zip* zip, std::int64_t index, std::string name) : zip_(zip), index_(index), name_(std::move(name)) {}
    Zip* zip_ = nullptr;
    std::int64_t index_ = -1;
    std::string name_;
};

class Zip {
public:
    explicit Zip(platform::FileSystem& files);
    ~Zip();
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;

    void setEvents(ArchiveEvents* events) { events_ = events; }
    ArchiveEvents* events() const { return events_; }
    platform::FileSystem& files() const { return files_; }

    // Folder for the component's own note: while a new file beside a target
    // is under way, kReplacementsNote there names the target, so that the
    // run after a killed one can find what that one left behind.
    void setArchiveWorkFolder(const std::string& folder) { workFolder_ = folder; }
    const std::string& ArchiveWorkFolder() const { return workFolder_; }

    // Building.
    bool NewArchive(const std::string& archivePath);
    // 1 when the file is opened and queued under its bare name (raising
    // ArchiveEntryAdded); 0 when it cannot be read, is no regular file, reads
    // 0 bytes in size while it holds data, or its name collides (ignoring
    // case) with another file already queued (see refusedEntries()). The same
    // file queued again answers 1 and is stored once. The flag is unused.
    int AddFileEntry(const std::string& filePath, int flag);
    void setArchiveWritePassword(const std::string& password) { writePassword_ = password; }
    void setProtectArchive(int value) { protect_ = value; }
    void SetArchivePassword(const std::string& password) { writePassword_ = password; }
    // Writes the archive beside its target (readable by its owner only, or
    // with the mode of the archive it replaces), reads it back from the disk
    // to check every entry, and renames it over the target only when it
    // reads back whole. True when the archive was written; raises
    // ArchiveWriteDone in that case. Protection (ProtectArchive 1 or -1)
    // encrypts every entry with AES-256 and fails without a password.
    bool WriteArchive();
    // Names that were queued but left out of the last write (kept until the
    // next NewArchive or WriteArchive).
    const std::vector<std::string>& droppedEntries() const { return dropped_; }
    // The files AddFileEntry refused since NewArchive, each as
    // "<bare name>: <why>".
    const std::vector<std::string>& refusedEntries() const { return refused_; }
    const std::string& lastError() const { return lastError_; }

    void ResetArchive();

    // Reading.
    int IsArchiveProtected(const std::string& archivePath);
    bool OpenArchive(const std::string& archivePath);
    void setArchivePassword(const std::string& password);
    int CheckArchivePassword();
    ZipEntry FindEntry(const std::string& name);
    std::vector<std::string> entryNames() const;
    // Reads every entry of the opened archive to its end as a restore would
    // (decrypted and authenticated with the password set, inflated, CRC and
    // size checked), raising ArchiveWorking on the way. The names of the
    // entries that do not read back whole; empty when all do.
    std::vector<std::string> TestArchive();

private:
    friend class ZipEntry;
    bool extract(std::int64_t index, const std::string& name, const std::string& folder, std::uint64_t maxBytes);

    struct State;
    platform::FileSystem& files_;
    ArchiveEvents* events_ = nullptr;
    std::string workFolder_;
    std::string writePassword_;
    int protect_ = 0;
    std::vector<std::string> dropped_;
    std::vector<std::string> refused_;
    std::string lastError_;
    std::unique_ptr<State> state_;
};

}  // namespace qm::archive
