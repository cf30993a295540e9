// The UDF volume types (genisoimage) on file drives: trees of any depth,
// and genisoimage's own reason when it cannot make the image.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "disc/LinuxEngineFixture.h"

namespace qm::test {
namespace {

namespace fsys = disc::filesystem;

// "Mail/Level 2/.../Level 10": ten folders, one in the other.
std::string tenLevels() {
    std::string rel = "Mail";
    for (int i = 2; i <= 10; ++i) rel += "/Level " + std::to_string(i);
    return rel;
}

TEST_F(LinuxEngineTest, ATreeTenFoldersDeepIsWrittenInTheDefaultType) {
    std::filesystem::create_directories(dir / tenLevels());
    const std::string bottom = makeSource(tenLevels() + "/deep.pst", 3000);
    makeSource("top.qmk", 1000);
    open();
    window->AddDroppedItems({true, {dir / "Mail", dir / "top.qmk"}});
    EXPECT_EQ(view.panels[3], "Folders: 10");
    EXPECT_NE(view.panels[1], "Data Image Size: 0.00 MB");
    write(fsys::JolietUdf, true);

    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write and Verify Complete!"});
    const std::string deep = tenLevels() + "/deep.pst";
    std::string out;
    // Rock Ridge, Joliet and UDF each show the whole tree.
    ASSERT_EQ(run("xorriso -indev " + drivePath() + " -find / -type f", out), 0) << out;
    EXPECT_NE(out.find("'/" + deep + "'"), std::string::npos) << out;
    EXPECT_EQ(out.find("rr_moved'"), std::string::npos) << out;
    ASSERT_EQ(run("7z l -tudf " + drivePath(), out), 0) << out;
    EXPECT_NE(out.find(deep), std::string::npos) << out;
    ASSERT_EQ(run("7z l -tiso " + drivePath(), out), 0) << out;  // Joliet
    EXPECT_NE(out.find(deep), std::string::npos) << out;
    // The file at the bottom is the file that was added.
    ASSERT_EQ(run("xorriso -osirrox on -indev " + drivePath() + " -extract '/" + deep + "' " + (dir / "back.pst"), out),
              0)
        << out;
    EXPECT_EQ(readHostFile(dir / "back.pst"), readHostFile(bottom));
}

TEST_F(LinuxEngineTest, GenisoimagesOwnReasonIsShownWhenItCannotMakeTheImage) {
    // Two names Joliet cuts to the same 103 characters.
    const std::string stem(110, 'L');
    makeSource(stem + "1.pst", 100);
    makeSource(stem + "2.pst", 100);
    writeHostFile(drivePath(), "previous disc");
    open();
    window->AddDroppedItems({true, {dir / (stem + "1.pst"), dir / (stem + "2.pst")}});
    view.answers = {app::Answer::Ok, app::Answer::Ok};  // whatever is asked before the write: go on
    write(fsys::JolietUdf, false);

    const auto texts = view.messageTexts();
    ASSERT_FALSE(texts.empty());
    const std::string& failure = texts.back();
    EXPECT_EQ(failure.rfind("System Error: (1)   The disc image could not be made.\r\n", 0), 0u) << failure;
    EXPECT_NE(failure.find("have the same Joliet name"), std::string::npos) << failure;
    // The paths it names are those of the disc, not of a staging folder.
    EXPECT_NE(failure.find("/" + stem + "2.pst"), std::string::npos) << failure;
    EXPECT_EQ(failure.find("quillmark-udf"), std::string::npos) << failure;
    EXPECT_EQ(view.panels[1], "Write Error!");
    EXPECT_EQ(readHostFile(drivePath()), "previous disc");
}

TEST_F(LinuxEngineTest, WithoutGenisoimageTheUdfTypesSayWhy) {
    makeSource("a.qmk", 100);
    const std::string path = std::getenv("PATH");
    const std::string empty = dir / "no-programs";
    std::filesystem::create_directory(empty);
    setenv("PATH", empty.c_str(), 1);
    open();
    window->AddDroppedItems({true, {dir / "a.qmk"}});
    write(fsys::JolietUdf, false);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"System Error: (1)   The disc image could not be made.\r\nThe UDF volume types "
                                       "are made by the program genisoimage, which is not installed."});
    EXPECT_FALSE(std::filesystem::exists(drivePath()));
}

}  // namespace
}  // namespace qm::test
