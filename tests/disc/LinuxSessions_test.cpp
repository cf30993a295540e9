// What a file drive already holds: a second session added after the first
// (and read back whole by another program), data replaced only after a
// question, the file cut to the image it holds, and a verification
// cancelled after a complete write.
#include <gtest/gtest.h>

#include <filesystem>

#include "disc/LinuxEngineFixture.h"

namespace qm::test {
namespace {

namespace fsys = disc::filesystem;

const std::string kOverwrite = "The disc in the drive holds data. Writing replaces everything on it.";

// The ISO 9660 volume's size in bytes, as isoinfo reads it from the drive.
std::uint64_t volumeBytes(const std::string& drive) {
    std::string out;
    if (run("isoinfo -d -i " + drive, out) != 0) return 0;
    const auto at = out.find("Volume size is: ");
    return at == std::string::npos ? 0 : std::stoull(out.substr(at + 16)) * 2048;
}

TEST_F(LinuxEngineTest, ASecondSessionFollowsTheFirstAndTheDiscReadsWhole) {
    std::filesystem::create_directories(dir / "one/Mail");
    std::filesystem::create_directories(dir / "two/Mail");
    const std::string a1 = makeSource("one/a.qmk", 30000);
    makeSource("one/Mail/x.pst", 20000);
    open();
    window->AddDroppedItems({true, {a1, dir / "one/Mail"}});
    write(fsys::Joliet, true);
    ASSERT_EQ(view.messageTexts(), std::vector<std::string>{"Write and Verify Complete!"});
    window->SelectedDevice()->Refresh(false);
    EXPECT_TRUE(window->SelectedDevice()->Media().IsAppendable);

    // The next backup, later: a.qmk anew, another file in Mail, a new file.
    const std::string a2 = makeSource("two/a.qmk", 45000);
    makeSource("two/Mail/y.pst", 10000);
    const std::string b = makeSource("two/b.qmk", 25000);
    window->ClearAllPressed();
    window->AddDroppedItems({true, {a2, dir / "two/Mail", b}});
    view.messages.clear();
    write(fsys::Joliet, true);
    // Nothing asked: the session is added, and the verification found the
    // new files in it (read from the first session they would be missing).
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write and Verify Complete!"});

    std::string out;
    ASSERT_EQ(run("xorriso -indev " + drivePath() + " -find / -type f", out), 0) << out;
    for (const char* file : {"'/a.qmk'", "'/b.qmk'", "'/Mail/x.pst'", "'/Mail/y.pst'"})
        EXPECT_NE(out.find(file), std::string::npos) << file << "\n" << out;
    ASSERT_EQ(run("xorriso -indev " + drivePath() + " -toc", out), 0) << out;
    EXPECT_NE(out.find("ISO session  :   2 ,"), std::string::npos) << out;
    // Every file, of both sessions, matches its recorded MD5.
    ASSERT_EQ(run("xorriso -md5 on -indev " + drivePath() + " -check_md5_r FAILURE / --", out), 0) << out;
    EXPECT_NE(out.find("File contents and their MD5 checksums match."), std::string::npos) << out;
    // The new a.qmk is the one read; so do programs that read Joliet.
    ASSERT_EQ(run("xorriso -osirrox on -indev " + drivePath() + " -extract /a.qmk " + (dir / "a.back"), out), 0) << out;
    EXPECT_EQ(readHostFile(dir / "a.back"), readHostFile(a2));
    ASSERT_EQ(run("7z l -tiso " + drivePath(), out), 0) << out;
    EXPECT_NE(out.find("45000        45000  a.qmk"), std::string::npos) << out;
    EXPECT_NE(out.find("Mail/x.pst"), std::string::npos) << out;
    EXPECT_EQ(std::filesystem::file_size(drivePath()), volumeBytes(drivePath()));
}

TEST_F(LinuxEngineTest, DataOnTheDriveIsReplacedOnlyAfterTheUserAgrees) {
    const std::string previous(3 << 20, 'p');  // longer than the image to come
    writeHostFile(drivePath(), previous);
    open("a.qmk", makeSource("a.qmk", 10000));

    view.answers = {app::Answer::Cancel};
    write(fsys::Joliet, false);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, kOverwrite + "\r\n\r\nWrite anyway?");
    EXPECT_EQ(view.messages[0].icon, app::Icon::Exclamation);
    EXPECT_EQ(view.messages[0].buttons, app::Buttons::OkCancel);
    EXPECT_EQ(readHostFile(drivePath()), previous);
    EXPECT_TRUE(window->Idle());

    // OK: the file is the new image, cut where it ends.
    view.messages.clear();
    write(fsys::Joliet, false);
    EXPECT_EQ(view.messageTexts(), (std::vector<std::string>{kOverwrite + "\r\n\r\nWrite anyway?", "Write Complete!"}));
    const auto size = std::filesystem::file_size(drivePath());
    EXPECT_LT(size, previous.size());
    EXPECT_EQ(size, volumeBytes(drivePath()));
    std::string out;
    ASSERT_EQ(run("xorriso -indev " + drivePath() + " -find / -type f", out), 0) << out;
    EXPECT_NE(out.find("'/a.qmk'"), std::string::npos) << out;

    // The UDF types cannot add a session: they replace it, after saying so.
    view.messages.clear();
    write(fsys::JolietUdf, false);
    EXPECT_EQ(
        view.messageTexts(),
        (std::vector<std::string>{kOverwrite + "\r\n(ISO9660 and ISO9660/Joliet Bridge would add a session after it "
                                               "instead.)\r\n\r\nWrite anyway?",
                                  "Write Complete!"}));
    EXPECT_EQ(std::filesystem::file_size(drivePath()), volumeBytes(drivePath()));
    ASSERT_EQ(run("7z l -tudf " + drivePath(), out), 0) << out;
    EXPECT_NE(out.find("a.qmk"), std::string::npos) << out;
    window->SelectedDevice()->Refresh(false);
    EXPECT_FALSE(window->SelectedDevice()->Media().IsAppendable);  // a UDF image starts at block 0
}

TEST_F(LinuxEngineTest, AnImageAnotherProgramWroteAtTheStartIsReplacedNotAddedTo) {
    // Its own tree lies where a later session's descriptors would go.
    const std::string a = makeSource("a.qmk", 1000);
    std::string out;
    ASSERT_EQ(run("genisoimage -quiet -r -J -o " + drivePath() + " " + a, out), 0) << out;
    open("b.qmk", makeSource("b.qmk", 1000));
    const disc::MediaInfo media = window->SelectedDevice()->Media();
    EXPECT_TRUE(media.HoldsData);
    EXPECT_FALSE(media.IsAppendable);
    view.answers = {app::Answer::Cancel};
    write(fsys::Joliet, false);
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{kOverwrite + "\r\n\r\nWrite anyway?"});
}

TEST_F(LinuxEngineTest, ACancelledSessionLeavesTheEarlierOnesAsTheyWere) {
    open("a.qmk", makeSource("a.qmk", 10000));
    write(fsys::Joliet, false);
    const std::string before = readHostFile(drivePath());
    const std::string big = dir / "big.pst";
    writeHostFile(big, "");
    std::filesystem::resize_file(big, 1ull << 30);
    window->ClearAllPressed();
    window->AddDroppedItems({true, {big}});
    int yieldsWhileWriting = 0;
    view.onYield = [&] {
        if (!window->Idle() && ++yieldsWhileWriting == 3) window->CancelPressed();
    };
    view.messages.clear();
    write(fsys::Joliet, false);
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write Cancelled!"});
    const std::string after = readHostFile(drivePath());
    EXPECT_EQ(after.size(), before.size());
    EXPECT_TRUE(after == before);  // byte for byte (not printed: it is an image)
}

TEST_F(LinuxEngineTest, CancelDuringVerificationSaysTheWriteIsComplete) {
    const std::string source = makeSource("a.qmk", 200000);
    open("a.qmk", source);
    hook.onVerifyStarted = [&](int) { window->CancelPressed(); };
    write(fsys::Joliet, true);
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Write Complete! The Verify was cancelled, so not every file was checked."});
    EXPECT_EQ(view.panels[1], "Write Completed! Verify Cancelled.");
    EXPECT_TRUE(window->Idle());
    std::string out;
    ASSERT_EQ(run("xorriso -osirrox on -indev " + drivePath() + " -extract /a.qmk " + (dir / "back"), out), 0) << out;
    EXPECT_EQ(readHostFile(dir / "back"), readHostFile(source));
}

}  // namespace
}  // namespace qm::test
