#pragma once
// The ZIP component's events passed on to a job's events, for as long as
// the watch lives. While a backup is written it also keeps the stored
// result honest: when an entry is left out, every part that recorded it is
// marked as failed, in the item result text and in the "BackupItem" line of
// the information file before the component stores it; when the
// information file itself is lost, the write is cancelled (an archive
// without it could not be restored and must not replace an older backup).
#include <string>
#include <vector>

#include "app/Session.h"
#include "archive/Zip.h"
#include "jobs/JobEvents.h"

namespace qm::jobs::detail {

class ArchiveWatch : public archive::ArchiveEvents {
public:
    ArchiveWatch(app::Session& session, archive::Zip& zip, JobEvents& events);
    ~ArchiveWatch() override;
    ArchiveWatch(const ArchiveWatch&) = delete;
    ArchiveWatch& operator=(const ArchiveWatch&) = delete;

    // From now on, dropped entries mark the parts of this result text.
    void watchResult(std::string& itemResult);

    void ArchiveEntryAdded(const std::string& fileName) override { events_.entryAdded(fileName); }
    void ArchiveEntryExtracted(const std::string& fileName) override { events_.entryExtracted(fileName); }
    void ArchiveWriteProgress(int percent) override { events_.writeProgress(percent); }
    void ArchiveWriteDone() override { events_.writeDone(); }
    void ArchiveWorking() override { events_.working(); }
    void ArchiveEntryDropped(const std::string& fileName) override;
    bool ArchiveWriteCancelled() override { return infoLost_ || events_.cancelled(); }

    bool infoFileLost() const { return infoLost_; }
    // Call after the write: marks parts whose entries the component reports
    // as dropped but never announced.
    void applyDropped(const std::vector<std::string>& dropped);
    // The entries that were left out, in the order met.
    const std::vector<std::string>& droppedNames() const { return seen_; }

private:
    bool markDropped(const std::string& fileName);
    void rewriteItemLine();

    app::Session& s_;
    archive::Zip& zip_;
    JobEvents& events_;
    archive::ArchiveEvents* previous_;
    std::string* itemResult_ = nullptr;
    std::string infoPath_;
    std::vector<std::string> values_;  // recorded value per position, read at the first drop
    bool valuesRead_ = false;
    bool infoLost_ = false;
    std::vector<std::string> seen_;
};

}  // namespace qm::jobs::detail
