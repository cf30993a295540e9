// Disks that fill up: under the archive being written, and under the work
// folder where the information file, the registry exports and the
// temporary files go. A run that cannot store a part says so, one that
// cannot finish writes nothing, and the earlier archive stays as it was.
#include <filesystem>
#include <fstream>

#include "jobs/BackupJob.h"
#include "platform/memory/MemoryFileSystem.h"
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

// Fills a folder's disk until `room` bytes are left (tmpfs counts pages).
void fillUpTo(const std::string& folder, std::uint64_t room) {
    const std::uint64_t free = fs::space(folder).available;
    std::ofstream(folder + "/filler", std::ios::binary)
        .write(std::string(free > room ? free - room : 0, 'F').data(),
               static_cast<std::streamsize>(free > room ? free - room : 0));
}

class FullDisk : public StressTest {};

TEST_F(FullDisk, UnderTheArchiveTheEarlierOneStays) {
    const std::string target = dir / "small";
    if (!mountSmallDisk(target, 256u << 10)) GTEST_SKIP() << "no tmpfs mount in this sandbox";
    // A data file that does not compress and cannot fit beside the earlier archive.
    writeHostFile(hostOf(*alice, "D:\\Mail\\Archive.pst"), randomBytes(1u << 20, 7));
    const std::string file = target + "/b.qmk";
    Ran ran = run("--backup " + shq(file) + " --profile Outlook --items 00100000");
    ASSERT_EQ(ran.status, 0) << ran.err;
    const std::string earlier = readHostFile(file);

    ran = run("--backup " + shq(file) + " --profile Outlook --items 11111111");
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_NE(ran.err.find("no backup written: cannot write the backup file " ), std::string::npos) << ran.err;
    EXPECT_EQ(readHostFile(file), earlier);
    EXPECT_EQ(partFiles(target), std::vector<std::string>{});
    EXPECT_EQ(workLeftovers(), std::vector<std::string>{});
}

TEST_F(FullDisk, UnderTheWorkFolderNoPartIsCalledSavedThatIsNot) {
    if (!mountSmallDisk(alice->workRoot, 512u << 10)) GTEST_SKIP() << "no tmpfs mount in this sandbox";
    const std::string file = backup("b.qmk", "00100000");
    const std::string earlier = readHostFile(file);
    // From no room at all to room for some of the run's files.
    for (std::uint64_t room : {0u, 1u << 10, 4u << 10, 8u << 10, 16u << 10, 64u << 10}) {
        SCOPED_TRACE("room " + std::to_string(room));
        fs::remove(alice->workRoot + "/filler");
        fillUpTo(alice->workRoot, room);
        const Ran ran = run("--backup " + shq(file) + " --profile Outlook --items 11111111");
        EXPECT_NE(ran.status, 2) << ran.err;
        if (ran.status == 1) {
            // Nothing written: the earlier archive is as it was.
            EXPECT_NE(ran.err.find("no backup written"), std::string::npos) << ran.err;
            EXPECT_EQ(readHostFile(file), earlier);
        } else {
            // Written: what the archive says it holds, it holds, and every
            // part not saved is named.
            const InfoLines info = parseInfo(sevenZipRead(file, "quillmark.dat"));
            const std::string saved = info["BackupItem"];
            ASSERT_EQ(saved.size(), 10u) << ran.err;
            EXPECT_EQ(ran.status, 3) << ran.err;  // Outlook 2010 keeps no address book
            const auto entries = sevenZipEntries(file);
            for (const auto& name : recordedEntries(info))
                EXPECT_EQ(std::count(entries.begin(), entries.end(), name), 1) << name;
            // Personal folders saved means both data files saved (one is
            // named in ANSI, read through a temporary file).
            if (saved[1] == '1') {
                EXPECT_EQ(info["BackupDatas"], "alice@example.org.pst;Archive.pst");
            }
            const auto failed = static_cast<std::size_t>(std::count(saved.begin(), saved.end(), '0'));
            std::size_t named = 0;
            for (std::size_t at = ran.err.find("failed: the "); at != std::string::npos; at = ran.err.find("failed: the ", at + 1))
                ++named;
            EXPECT_EQ(named, failed) << saved << "\n" << ran.err;
            EXPECT_TRUE(sevenZipTests(file));
        }
        EXPECT_EQ(partFiles(out), std::vector<std::string>{});
        EXPECT_EQ(workLeftovers(), std::vector<std::string>{"filler"});
    }
}

// The same faults injected where no disk can be filled: the in-memory
// installation refuses the writes.
class RefusedWorkWrites : public RunsTest {
protected:
    void SetUp() override {
        inst = &install("mem");
        files = dynamic_cast<platform::memory::MemoryFileSystem*>(inst->platform.files.get());
        ASSERT_TRUE(files);
        s = &start(*inst, view);
        settings.profile = "Outlook";
        settings.items = items::selectionFromDigits("11111111");
        settings.archivePath = s->files.fromUserPath(dir / "b.qmk");
    }
    std::string work() const { return s->state.WorkFolder; }

    Installation* inst = nullptr;
    platform::memory::MemoryFileSystem* files = nullptr;
    FakeView view;
    app::Session* s = nullptr;
    jobs::BackupRequest settings;
};

TEST_F(RefusedWorkWrites, ATemporaryFileThatCannotBeWrittenFailsItsItem) {
    // The ANSI path of a data file is read through a temporary file ("SF").
    const std::string temporary = work() + "\\SF";
    files->refuseWrite = [temporary](const std::string& path) { return path.rfind(temporary, 0) == 0; };
    for (bool unattended : {false, true}) {
        settings.unattended = unattended;
        jobs::JobEvents events;
        const jobs::BackupReport report = jobs::RunBackupJob(*s, settings, events);
        ASSERT_TRUE(report.written) << report.failure;
        const jobs::PartResult& datas = report.parts[items::positionOf(items::Part::Datas) - 1];
        EXPECT_FALSE(datas.ok);
        EXPECT_NE(datas.reason.find("temporary file"), std::string::npos) << datas.reason;
        EXPECT_EQ(report.itemResult, "1011110111");  // Outlook 2010 keeps no address book
    }
    files->refuseWrite = nullptr;
}

TEST_F(RefusedWorkWrites, AnInformationFileThatCannotBeFinishedWritesNoArchive) {
    writeHostFile(dir / "b.qmk", "EARLIER");
    // Every part runs; then the work folder refuses what is left to write.
    struct Full : jobs::JobEvents {
        bool full = false;
        void partFinished(items::Part part, bool) override { full = full || part == items::Part::Setting; }
    };
    for (bool unattended : {false, true}) {
        Full events;
        files->refuseWrite = [&](const std::string& path) { return events.full && path.rfind(work(), 0) == 0; };
        settings.unattended = unattended;
        const jobs::BackupReport report = jobs::RunBackupJob(*s, settings, events);
        EXPECT_FALSE(report.written);
        EXPECT_NE(report.failure.find("cannot write the information file"), std::string::npos) << report.failure;
        EXPECT_EQ(readHostFile(dir / "b.qmk"), "EARLIER");
        EXPECT_EQ(partFiles(dir.path()), std::vector<std::string>{});
        files->refuseWrite = nullptr;
    }
}

}  // namespace
}  // namespace qm::test
