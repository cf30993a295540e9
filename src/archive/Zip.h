#pragma once
// The ZIP component `zip1`: builds and reads backup archives over libzip.
// Paths are Windows paths, mapped through the file layer. Entries are stored
// under their bare names, unless a name of the archive's own folders is
// given.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qm::archive {

// In the work folder: the Windows path of the target a new file is being
// made beside, and a CR LF.
inline const char* const kReplacementsNote = "replacing.lst";

// Deflate's best is about 1032 bytes out of one; an entry that claims more
// of its compressed size is refused before it is read.
inline constexpr std::uint64_t kMaxInflationRatio = 1100;

// The two long steps of a write: the archive written, then read back.
enum class ArchivePhase { Writing, Checking };

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
    // Polled while writing, extracting and testing; true cancels the work
    // (a write leaves the target as it was, an extraction leaves no file).
    virtual bool ArchiveWriteCancelled() { return false; }
    // How far one phase is, in percent of that phase: a new archive written
    // or read back, or an opened archive tested.
    virtual void ArchivePhaseProgress(ArchivePhase /*phase*/, int /*percent*/) {}
    // Raised every few hundred kilobytes read or written, so that a caller
    // on a window's thread can let the window answer.
    virtual void ArchiveWorking() {}
};

class Zip;

// Where a restore keeps the files it takes out until it puts them all in
// place at once: each arrives whole (read to its end and checked) in a new
// file beside its target, not yet in the target's place.
class ExtractionStaging {
public:
    virtual ~ExtractionStaging() = default;
    // Takes the new file for `target` (a Windows path); false with the
    // reason when it cannot be kept.
    virtual bool keep(std::unique_ptr<platform::ReplaceStream> file, const std::string& target, std::string& why) = 0;
    // Told before the new file for `target` is made, so that a run killed
    // while it is written leaves a note of where it lies.
    virtual void willStage(const std::string& /*target*/) {}
};

// A handle from FindEntry; invalid when the entry is not in the archive.
class ZipEntry {
public:
    ZipEntry() = default;
    bool valid() const { return zip_ != nullptr; }
    // Writes folder\<bare name>. False, with the reason, for an invalid
    // handle, an unsafe name (separators, drive, "..", empty), a wrong
    // password, a write error, or an entry that holds more than `maxBytes`
    // (checked as it is inflated, whatever its header claims); nothing is
    // left behind then.
    bool ExtractEntryTo(const std::string& folder, std::string& why, std::uint64_t maxBytes = UINT64_MAX) const;
    // Writes folder\<fileName> (an entry kept in a folder of the archive,
    // "alice_files/image001.png", is written under a name of one folder),
    // with the same checks on `fileName`.
    bool ExtractEntryAs(const std::string& folder, const std::string& fileName, std::string& why,
                        std::uint64_t maxBytes = UINT64_MAX) const;
    // The same checks, the entry written as the file `target` (a Windows
    // path; its folder must exist) and handed to `staging` instead of being
    // put in place.
    bool StageEntryAs(const std::string& target, ExtractionStaging& staging, std::string& why,
                      std::uint64_t maxBytes = UINT64_MAX) const;
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

    // Building. Each operation that can fail answers false with the reason.
    bool NewArchive(const std::string& archivePath, std::string& why);
    // Opens the file and queues it under its bare name (raising
    // ArchiveEntryAdded). Refused, with "<bare name>: <reason>", when it
    // cannot be read, is no regular file, reads 0 bytes in size while it
    // holds data, or its name collides (ignoring case) with another file
    // already queued. The same file queued again is stored once.
    bool AddFileEntry(const std::string& filePath, std::string& why);
    // The same under an entry name of its own: safe names joined by "/" (a
    // folder of the archive, as ZIP tools show it), never a drive, "..", or
    // a name Windows cannot hold. Refused with the reason otherwise.
    bool AddFileEntryAs(const std::string& filePath, const std::string& entryName, std::string& why);
    // The password every entry is encrypted with (AES-256); empty: none.
    void setArchiveWritePassword(const std::string& password) { writePassword_ = password; }
    // Writes the archive beside its target (readable by its owner only, or
    // with the mode of the archive it replaces), reads it back from the disk
    // to check every entry, and renames it over the target only when it
    // reads back whole. True when the archive was written; raises
    // ArchiveWriteDone in that case.
    bool WriteArchive(std::string& why);
    // Called once a new archive has read back whole, just before it takes
    // the target's name: it may move the file at the target aside (an
    // earlier backup kept as a version). It answers where the new archive
    // goes: empty for the target, or another Windows path in the target's
    // folder when the file at the target must stay where it is.
    void setBeforeReplace(std::function<std::string()> hook) { beforeReplace_ = std::move(hook); }
    // Names that were queued but left out of the last write (kept until the
    // next NewArchive or WriteArchive).
    const std::vector<std::string>& droppedEntries() const { return dropped_; }

    void ResetArchive();

    // Reading.
    bool IsArchiveProtected(const std::string& archivePath);
    bool OpenArchive(const std::string& archivePath, std::string& why);
    // The password entries are read with (set once the archive is open).
    void setArchivePassword(const std::string& password);
    // Whether the password opens the information file, read to its end
    // (authenticated for AES, its CRC checked otherwise).
    bool CheckArchivePassword(std::string& why);
    ZipEntry FindEntry(const std::string& name);
    std::vector<std::string> entryNames() const;
    // The size an entry of the opened archive records (its central
    // directory's, readable without the password); nothing when it has no
    // entry of that name (letter case ignored) or records none.
    std::optional<std::uint64_t> EntrySize(const std::string& name);
    // An entry of the opened archive read whole into memory (decrypted with
    // the password set, checked); false with the reason when it is missing,
    // holds more than `maxBytes` or does not read back.
    bool ReadEntryBytes(const std::string& name, std::uint64_t maxBytes, std::string& bytes, std::string& why);
    // Reads every entry of the opened archive to its end as a restore would
    // (decrypted and authenticated with the password set, inflated, CRC and
    // size checked), raising ArchiveWorking and the checking phase's
    // progress on the way. The names of the entries that do not read back
    // whole; empty when all do. A test cancelled on the way sets
    // `cancelled` (when given) and answers what it found so far.
    std::vector<std::string> TestArchive(bool* cancelled = nullptr);

private:
    friend class ZipEntry;
    bool addEntry(const std::string& filePath, const std::string& name, std::string& why);
    // Writes the entry `name` (a safe name, or safe names joined by "/") as
    // the file `target`, whose own name must be a safe name.
    bool extract(std::int64_t index, const std::string& name, const std::string& target, std::uint64_t maxBytes,
                 ExtractionStaging* staging, std::string& why);

    struct State;
    platform::FileSystem& files_;
    ArchiveEvents* events_ = nullptr;
    std::string workFolder_;
    std::string writePassword_;
    std::vector<std::string> dropped_;
    std::function<std::string()> beforeReplace_;
    std::unique_ptr<State> state_;
};

}  // namespace qm::archive
