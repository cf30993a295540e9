// Writing with the real component on file drives: what the window reports,
// and what other programs read from the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "disc/LinuxEngineFixture.h"

namespace qm::test {
namespace {

namespace fsys = disc::filesystem;

bool contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(LinuxEngineTest, AHandedOverBackupIsWrittenVerifiedAndReadableByOthers) {
    const std::string source = makeSource("backup.qmk", 300000);
    open("backup.qmk", source);
    EXPECT_EQ(view.rowKeys(), std::vector<std::string>{"\\backup.qmk"});
    write(fsys::Joliet, true);
    const double planned = engine->ImageSize();  // with the settings of the write

    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write and Verify Complete!"});
    EXPECT_TRUE(contains(view.statusHistory, "Auto-Verify...Complete (1 of 1 MATCHED)"));
    EXPECT_TRUE(window->Idle());
    EXPECT_EQ(static_cast<double>(std::filesystem::file_size(drivePath())), planned);

    std::string out;
    ASSERT_EQ(run("isoinfo -d -i " + drivePath(), out), 0);
    EXPECT_NE(out.find("Volume id: Outlook Data Backup CD"), std::string::npos) << out;
    ASSERT_EQ(run("isoinfo -l -J -i " + drivePath(), out), 0);
    EXPECT_NE(out.find("300000 Feb  3 2001 [") , std::string::npos) << out;
    EXPECT_NE(out.find("backup.qmk"), std::string::npos) << out;
    ASSERT_EQ(run("7z l " + drivePath(), out), 0);
    EXPECT_NE(out.find("2001-02-03 04:05:06 .....       300000"), std::string::npos) << out;
    EXPECT_NE(out.find("backup.qmk"), std::string::npos) << out;
    ASSERT_EQ(run("xorriso -indev " + drivePath() + " -lsl /", out), 0) << out;
    EXPECT_NE(out.find("300000 Feb  3  2001 'backup.qmk'"), std::string::npos) << out;
    // The recorded checksums check the disc without its sources.
    ASSERT_EQ(run("xorriso -md5 on -indev " + drivePath() + " -check_md5 FAILURE -- -check_md5_r FAILURE / --", out),
              0)
        << out;
    EXPECT_NE(out.find("Ok, session data match recorded md5."), std::string::npos) << out;
    EXPECT_NE(out.find("File contents and their MD5 checksums match."), std::string::npos) << out;
}

}  // namespace
}  // namespace qm::test
