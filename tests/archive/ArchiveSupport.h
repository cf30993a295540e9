#pragma once
// Shared pieces of the archive tests: the file layer over a temp folder, a
// recording event sink and small host-file helpers.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/Zip.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace qm::test {

// The file layer the archive works through, for a test's temp folder:
// "Z:\<host path>" reaches the host path.
std::unique_ptr<platform::FileSystem> makeFileSystem(const TempDir& dir);

// The Windows path of a host path ("/tmp/x/a.txt" -> "Z:\tmp\x\a.txt").
std::string win(const std::string& hostPath);

struct RecordingEvents : archive::ArchiveEvents {
    std::vector<std::string> added, extracted, dropped;
    std::vector<int> progress;
    int done = 0;
    std::function<void(int)> onProgress;
    std::function<void(const std::string&)> onDropped;
    std::function<bool()> cancel;

    void ArchiveEntryAdded(const std::string& name) override { added.push_back(name); }
    void ArchiveEntryExtracted(const std::string& name) override { extracted.push_back(name); }
    void ArchiveWriteProgress(int percent) override {
        progress.push_back(percent);
        if (onProgress) onProgress(percent);
    }
    void ArchiveWriteDone() override { ++done; }
    void ArchiveEntryDropped(const std::string& name) override {
        dropped.push_back(name);
        if (onDropped) onDropped(name);
    }
    bool ArchiveWriteCancelled() override { return cancel && cancel(); }
};

// Bytes that deflate cannot shrink.
std::string randomBytes(std::size_t size, unsigned seed = 1);
// Names of everything below `root` (relative, sorted), to prove nothing else appeared.
std::vector<std::string> treeOf(const std::string& root);

}  // namespace qm::test
