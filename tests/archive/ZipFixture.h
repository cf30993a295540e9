#pragma once
// A temp folder with a source folder, a target archive and a Zip wired to a
// recording event sink.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveSupport.h"
#include "archive/InfoFile.h"
#include "archive/Zip.h"
#include "platform/CodePage.h"

namespace qm::test {

class ZipFixture : public ::testing::Test {
protected:
    // The reason the last failing call of a test gave.
    std::string why;
    TempDir dir;
    std::unique_ptr<platform::FileSystem> files = makeFileSystem(dir);
    RecordingEvents events;
    archive::Zip zip{*files};
    std::string srcHost = dir / "src";
    std::string outHost = dir / "out";
    std::string archiveHost = dir / "backup.qmk";
    std::string archive = win(archiveHost);

    void SetUp() override {
        ::mkdir(srcHost.c_str(), 0777);
        ::mkdir(outHost.c_str(), 0777);
        zip.setEvents(&events);
    }

    // Writes src/<name> and returns its Windows path.
    std::string put(const std::string& name, const std::string& bytes) {
        writeHostFile(srcHost + "/" + name, bytes);
        return win(srcHost + "/" + name);
    }

    // A complete write of the given files, protected with the password
    // unless it is empty.
    bool build(const std::vector<std::string>& paths, const std::string& password = "") {
        if (!zip.NewArchive(archive, why)) return false;
        for (const auto& p : paths)
            if (!zip.AddFileEntry(p, why)) return false;
        zip.setArchiveWritePassword(password);
        return zip.WriteArchive(why);
    }

    // Every entry of an archive, extracted with a fresh component.
    std::map<std::string, std::string> contents(const std::string& hostPath, const std::string& password = "") {
        archive::Zip reader(*files);
        std::map<std::string, std::string> out;
        if (!reader.OpenArchive(win(hostPath), why)) return out;
        if (!password.empty()) reader.setArchivePassword(password);
        TempDir x;
        for (const auto& name : reader.entryNames()) {
            archive::ZipEntry e = reader.FindEntry(name);
            out[name] =
                e.ExtractEntryTo(win(x.path()), why) ? readHostFile(x / testCodePage().toUtf8(name)) : "<failed>";
        }
        return out;
    }

    // Part files left in a folder.
    static std::vector<std::string> debris(const std::string& folder) {
        std::vector<std::string> found;
        for (const auto& n : treeOf(folder))
            if (n.find(".qmpart-") != std::string::npos) found.push_back(n);
        return found;
    }

    static void expectProgressComplete(const std::vector<int>& progress) {
        ASSERT_FALSE(progress.empty());
        for (std::size_t i = 1; i < progress.size(); ++i) EXPECT_LT(progress[i - 1], progress[i]) << "at " << i;
        EXPECT_EQ(progress.back(), 100);
    }
};

}  // namespace qm::test
