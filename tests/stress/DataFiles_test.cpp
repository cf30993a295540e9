// What a profile names as a data file may be no file at all, or a file
// whose size lies: it is refused by name and fails its item, never stored
// as an empty copy that a restore would put in place of the mail.
#include <sys/stat.h>

#include <filesystem>

#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class DataFileKinds : public StressTest {
protected:
    void SetUp() override {
        StressTest::SetUp();
        archivePst = hostOf(*alice, "D:\\Mail\\Archive.pst");
        ASSERT_TRUE(fs::exists(archivePst));
        fs::remove(archivePst);
    }
    // A backup of the personal folders, which must fail that part by naming
    // the file, and store the other data file whole.
    void expectRefused(const std::string& why) {
        const std::string file = out + "/b.qmk";
        const Ran ran = run("--backup " + shq(file) + " --profile Outlook --items 10000000");
        EXPECT_EQ(ran.status, 3) << ran.err;
        EXPECT_NE(ran.err.find("failed: the personal folders (data files) could not be backed up: Archive.pst: " + why),
                  std::string::npos)
            << ran.err;
        const auto entries = sevenZipEntries(file);
        EXPECT_EQ(std::count(entries.begin(), entries.end(), "Archive.pst"), 0);
        EXPECT_EQ(std::count(entries.begin(), entries.end(), "alice@example.org.pst"), 1);
        const InfoLines info = parseInfo(sevenZipRead(file, "quillmark.dat"));
        EXPECT_EQ(info["BackupItem"].substr(0, 3), "101");
        EXPECT_EQ(info["BackupDatas"], "alice@example.org.pst");
    }
    std::string archivePst;
};

TEST_F(DataFileKinds, AFolderUnderTheNameIsRefused) {
    fs::create_directory(archivePst);
    expectRefused("not a regular file");
}

TEST_F(DataFileKinds, APipeUnderTheNameIsRefused) {
    ASSERT_EQ(mkfifo(archivePst.c_str(), 0644), 0);
    expectRefused("not a regular file");
}

TEST_F(DataFileKinds, AFileWhoseSizeReadsZeroWhileItHoldsDataIsRefused) {
    // The kernel's files say 0 bytes and read as many as they like.
    ASSERT_EQ(fs::file_size("/proc/self/status"), 0u);
    fs::create_symlink("/proc/self/status", archivePst);
    expectRefused("its size reads 0 but it holds data");
}

TEST_F(DataFileKinds, AnEmptyFileIsStillStored) {
    writeHostFile(archivePst, "");
    const std::string file = out + "/b.qmk";
    const Ran ran = run("--backup " + shq(file) + " --profile Outlook --items 10000000");
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_NE(ran.err.find("warning: Archive.pst"), std::string::npos) << ran.err;
    const auto entries = sevenZipEntries(file);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "Archive.pst"), 1);
}

// The profile would not open it either: the backup says so, as it says a
// data file's header is bad, and goes on.
TEST_F(DataFileKinds, AMissingFileIsNamedAsAWarning) {
    const std::string file = out + "/b.qmk";
    for (const std::string& form :
         {"--backup " + shq(file) + " --profile Outlook --items 10000000", shq("sf=Outlookxm=10000000ps=bf=" + file)}) {
        const Ran ran = run(form);
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_NE(ran.err.find("warning: Archive.pst: missing: the profile names D:\\Mail\\Archive.pst, which does "
                               "not exist"),
                  std::string::npos)
            << form << "\n"
            << ran.err;
        const auto entries = sevenZipEntries(file);
        EXPECT_EQ(std::count(entries.begin(), entries.end(), "alice@example.org.pst"), 1);
    }
}

}  // namespace
}  // namespace qm::test
