#pragma once
// Pieces the backup, automatic and restore runs share: the operation table,
// the header of the information file, the watch over the archive write and
// the clean-up of the run's files.
#include <array>
#include <string>
#include <vector>

#include "app/Session.h"
#include "archive/Zip.h"
#include "items/Items.h"

namespace qm::runs::detail {

// Which of the eight items (index 0..7) a run backs up or restores.
using Selection = std::array<bool, 8>;
bool anySelected(const Selection& selection);

// Information-file key of "BackupItem" position 1..10 (index 0..9).
extern const std::array<const char*, 10> kItemKeys;

// One row of the backup operation table, in run order; row i is
// "BackupItem" position i + 1.
struct BackupRow {
    std::vector<int> items;     // runs when any of these items is selected
    const char* status;         // status line
    const char* label;          // report label, nullptr: no report line
    const char* separator;      // between label and outcome
    int step;                   // added to the bar after the row
    int stepWhenRan;            // added on top when the row ran
    bool (*run)(items::Items&, const std::string& profile);
};
extern const std::array<BackupRow, 10> kBackupRows;
bool rowSelected(const BackupRow& row, const Selection& selection);

std::string joinPath(const std::string& folder, const std::string& name);
// The text after the last "\" (or "/").
std::string bareName(const std::string& path);
bool equalsIgnoreCase(const std::string& a, const std::string& b);
std::vector<std::string> splitList(const std::string& text, char separator);

// The information file of this run: InfoFilePath, or the work folder's
// "quillmark.dat" when start-up left it empty.
std::string infoFilePath(app::Session& session);

// Deletes a file when there is one; true when none is left.
bool removeFile(platform::FileSystem& files, const std::string& path);
// The information file and the temporary exports of a backup.
void removeBackupFiles(app::Session& session);

// The six header keys; false at the first line that cannot be written.
bool writeHeader(app::Session& session, const std::string& profile, const std::string& description);

// Moves the bar by `amount`, kept inside its range.
void advance(app::MainView& view, int amount);

// Watches one WriteArchive: passes every event on to the session's own
// handling, and when an entry is left out, marks every part that recorded
// it as failed, in the item result text and in the "BackupItem" line of the
// information file before the component stores it. When the information
// file itself is lost, the write is cancelled: an archive without it could
// not be restored and must not replace an older backup.
class WriteWatch : public archive::ArchiveEvents {
public:
    WriteWatch(app::Session& session, std::string& itemResult);
    ~WriteWatch() override;
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

    void ArchiveEntryAdded(const std::string& fileName) override;
    void ArchiveEntryExtracted(const std::string& fileName) override;
    void ArchiveWriteProgress(int percent) override;
    void ArchiveWriteDone() override;
    void ArchiveEntryDropped(const std::string& fileName) override;
    bool ArchiveWriteCancelled() override;

    bool infoFileLost() const { return infoLost_; }
    // Call after the write: marks parts whose entries the component reports
    // as dropped but never announced (the stored flags may then be stale;
    // the result is what the report shows).
    void applyDropped(const std::vector<std::string>& dropped);

private:
    bool markDropped(const std::string& fileName);
    void rewriteItemLine();

    app::Session& s_;
    archive::ArchiveEvents* inner_;
    std::string& itemResult_;
    std::string infoPath_;
    std::vector<std::string> values_;  // recorded value per position, read at the first drop
    bool valuesRead_ = false;
    bool infoLost_ = false;
    std::vector<std::string> seen_;
};

// Keeps a second run from starting inside the yields of one already
// working on the same session; false from active() when one is.
class BusyGuard {
public:
    explicit BusyGuard(app::Session& session);
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    bool active() const { return active_; }

private:
    app::Session& s_;
    bool active_ = false;
};

// The session's own archive event handling (file lines, percentage,
// ArchiveWritten).
archive::ArchiveEvents* sessionEvents(app::Session& session);

}  // namespace qm::runs::detail
