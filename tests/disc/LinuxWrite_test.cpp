// Writing with the real component on file drives: what the window reports,
// and what other programs read from the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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

    std::string out;
    ASSERT_EQ(run("isoinfo -d -i " + drivePath(), out), 0);
    EXPECT_NE(out.find("Volume id: Outlook Data Backup CD"), std::string::npos) << out;
    // The file holds the image and nothing more: the session after the 64
    // KiB where readers find it (and where a later session's copy goes).
    const auto size = std::filesystem::file_size(drivePath());
    EXPECT_NE(out.find("Volume size is: " + std::to_string(size / 2048) + "\n"), std::string::npos) << out;
    EXPECT_NEAR(static_cast<double>(size - 65536), planned, 8 * 2048);
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

TEST_F(LinuxEngineTest, FoldersGoIntoTheUdfVolumeTypesToo) {
    std::filesystem::create_directories(dir / "Mail/Archive 2010/Empty");
    makeSource("Mail/Outlook.pst", 70000);
    makeSource("Mail/Archive 2010/Old = mail.pst", 5000);
    makeSource("Mail/skip.tmp", 10);
    open();
    window->AddDroppedItems({true, {dir / "Mail"}});
    EXPECT_EQ(view.panels[2], "Files: 3");
    EXPECT_EQ(view.panels[3], "Folders: 3");
    EXPECT_EQ(view.tree["\\Mail\\Archive 2010\\Empty"].parent, "\\Mail\\Archive 2010");
    view.selectedFile = "\\Mail\\skip.tmp";
    window->RemoveFilePressed();
    view.label = "Mail 2010";
    write(fsys::JolietUdf, true);

    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write and Verify Complete!"});
    EXPECT_TRUE(contains(view.statusHistory, "Auto-Verify...Complete (2 of 2 MATCHED)"));
    std::string out;
    ASSERT_EQ(run("7z l -tudf " + drivePath(), out), 0) << out;
    EXPECT_NE(out.find("2001-02-03 04:05:06 .....        70000"), std::string::npos) << out;
    EXPECT_NE(out.find("Mail/Outlook.pst"), std::string::npos) << out;
    EXPECT_NE(out.find("Mail/Archive 2010/Old = mail.pst"), std::string::npos) << out;
    EXPECT_NE(out.find("Mail/Archive 2010/Empty"), std::string::npos) << out;
    EXPECT_EQ(out.find("skip.tmp"), std::string::npos) << out;
    ASSERT_EQ(run("isoinfo -l -J -i " + drivePath(), out), 0);
    EXPECT_NE(out.find("Old = mail.pst"), std::string::npos) << out;
    ASSERT_EQ(run("isoinfo -d -i " + drivePath(), out), 0);
    EXPECT_NE(out.find("Volume id: Mail 2010"), std::string::npos) << out;
}

TEST_F(LinuxEngineTest, VerificationCatchesADamagedDiscAndChangedSources) {
    const std::string a = makeSource("a.bin", 50000);
    const std::string b = makeSource("b.bin", 40000);
    const std::string c = makeSource("c.bin", 30000);
    open();
    window->AddDroppedItems({true, {a, b, c}});
    // Between writing and reading back: a byte of a's copy on the disc
    // changes, b's source is rewritten in place, c's source grows.
    hook.onVerifyStarted = [&](int) {
        const auto at = findInFile(drivePath(), "MARKER-a.bin-");
        ASSERT_NE(at, std::string::npos);
        patchFile(drivePath(), at + 20000, 'X');
        patchFile(b, 100, static_cast<char>(readHostFile(b)[100] ^ 1));
        writeHostFile(c, readHostFile(c) + "more");
    };
    write(fsys::Joliet, true);
    const auto texts = view.messageTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Verify Error - Source and Destination file did not match: \r\n\\a.bin (disc)\r\n" + a +
                            " (source)");
    EXPECT_EQ(texts[1], "Verify Error - Source and Destination file did not match: \r\n\\b.bin (disc)\r\n" + b +
                            " (source)");
    EXPECT_EQ(texts[2], "Verify Error - Size of Source and Destination file did not match: \r\n\\c.bin (disc)\r\n" +
                            c + " (source)");
    EXPECT_EQ(texts[3], "Write Complete, but the Verify found errors!\r\nAuto-Verify...Complete (0 of 3 MATCHED)");

    // The recorded MD5 tells the damaged copy from the good ones without
    // any source.
    std::string out;
    EXPECT_NE(run("xorriso -md5 on -indev " + drivePath() + " -check_md5_r FAILURE / --", out), 0) << out;
    EXPECT_NE(out.find("/a.bin"), std::string::npos) << out;
    EXPECT_EQ(out.find("/b.bin"), std::string::npos) << out;
}

TEST_F(LinuxEngineTest, UdfRefusesAFileOf4GiBBeforeWriting) {
    const std::string big = dir / "big.pst";
    writeHostFile(big, "");
    std::filesystem::resize_file(big, 4ull << 30);  // sparse
    writeHostFile(drivePath(), "previous disc");
    open();
    window->AddDroppedItems({true, {big}});
    write(fsys::JolietUdf, false);  // the question about the data on the drive answered OK
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{"The disc in the drive holds data. Writing replaces everything on it.\r\n\r\n"
                                        "Write anyway?",
                                        "Source File Error: (3)   The file is 4 GB or larger, which the UDF volume "
                                        "types cannot hold. Choose ISO9660 or ISO9660/Joliet Bridge.\r\n'" +
                                            big + "'"}));
    EXPECT_EQ(view.panels[1], "Write Error!");
    EXPECT_EQ(readHostFile(drivePath()), "previous disc");
    EXPECT_TRUE(window->Idle());
}

TEST_F(LinuxEngineTest, WithoutFileDatesTheFilesAreDatedByTheWrite) {
    open("a.qmk", makeSource("a.qmk", 1000));          // dated 2001
    view.selected[disc::ComboBox::cboVolumeType] = 2;  // ISO9660/Joliet Bridge
    window->VolumeTypeSelected();
    view.checked[disc::CheckBox::chkUseFileDates] = false;
    window->UseFileDatesClicked();
    write(fsys::Joliet, false);
    std::string out;
    ASSERT_EQ(run("7z l -tiso " + drivePath(), out), 0) << out;
    EXPECT_EQ(out.find("2001-02-03"), std::string::npos) << out;
    EXPECT_NE(out.find("a.qmk"), std::string::npos) << out;

    // The UDF types keep them, and the window shows it.
    view.selected[disc::ComboBox::cboVolumeType] = 4;
    window->VolumeTypeSelected();
    EXPECT_TRUE(view.checked[disc::CheckBox::chkUseFileDates]);
    EXPECT_FALSE(view.enabled[disc::Control::chkUseFileDates]);
    write(fsys::JolietUdf, false);
    ASSERT_EQ(run("7z l -tudf " + drivePath(), out), 0) << out;
    EXPECT_NE(out.find("2001-02-03 04:05:06 .....         1000"), std::string::npos) << out;
}

TEST_F(LinuxEngineTest, ATestWriteLeavesTheDiscAsItWas) {
    const std::string source = makeSource("a.qmk", 10000);
    writeHostFile(drivePath(), "previous disc");
    open("a.qmk", source);
    view.checked[disc::CheckBox::chkTestWrite] = true;
    write(fsys::Iso9660, true);
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Test Write Complete! Nothing was written to the disc."});
    EXPECT_EQ(readHostFile(drivePath()), "previous disc");
}

TEST_F(LinuxEngineTest, CancelStopsTheWrite) {
    const std::string big = dir / "big.pst";
    writeHostFile(big, "");
    std::filesystem::resize_file(big, 1ull << 30);
    open("big.pst", big);
    int yieldsWhileWriting = 0;
    view.onYield = [&] {
        if (!window->Idle() && ++yieldsWhileWriting == 2) window->CancelPressed();
        EXPECT_FALSE(window->QueryUnload() && !window->Idle());
    };
    const auto started = std::chrono::steady_clock::now();
    write(fsys::Joliet, true);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write Cancelled!"});
    EXPECT_TRUE(contains(view.statusHistory, "Aborting Write...Please Wait!"));
    EXPECT_EQ(view.panels[1], "Write Cancelled....");
    EXPECT_LT(seconds, 5.0);
    // Stopped before the drive started, or part-way through.
    EXPECT_TRUE(!std::filesystem::exists(drivePath()) || std::filesystem::file_size(drivePath()) < (1ull << 30));
    EXPECT_TRUE(window->QueryUnload());
}

TEST_F(LinuxEngineTest, ASourceGoneBeforeTheWriteIsAskedAbout) {
    const std::string a = makeSource("a.bin", 1000);
    const std::string b = makeSource("b.bin", 2000);
    open();
    window->AddDroppedItems({true, {a, b}});
    std::filesystem::remove(a);
    view.answers = {app::Answer::Cancel};
    write(fsys::Joliet, true);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].text, "File Warning(1):" + a + "\r\nThe source file cannot be read; it is left out of the disc.");
    EXPECT_EQ(view.messages[1].text, "Write Cancelled!");
    EXPECT_FALSE(std::filesystem::exists(drivePath()));

    view.messages.clear();
    write(fsys::Joliet, true);  // OK this time: written without it
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{"File Warning(1):" + a + "\r\nThe source file cannot be read; it is left out of the disc.",
                                        "Write and Verify Complete!"}));
    std::string out;
    run("isoinfo -l -J -i " + drivePath(), out);
    EXPECT_EQ(out.find("a.bin"), std::string::npos) << out;
    EXPECT_NE(out.find("b.bin"), std::string::npos) << out;
}

TEST_F(LinuxEngineTest, CheckMediaOnAFileDrive) {
    open("a.qmk", makeSource("a.qmk", 1000));
    EXPECT_TRUE(window->CheckMedia());
    auto* drive = window->SelectedDevice();
    EXPECT_EQ(drive->Name(), "File: " + drivePath());
    EXPECT_EQ(drive->Media().MediaType, disc::media::DvdRam);
    EXPECT_TRUE(drive->Media().IsRewritable);
    EXPECT_FALSE(drive->Supports(disc::capability::BufferUnderrunProtection));
    EXPECT_EQ(view.lists[disc::ComboBox::cboWriteSpeed].size(), 1u);
    EXPECT_EQ(view.lists[disc::ComboBox::cboWriteSpeed][0].text, "MAX");
    EXPECT_GT(drive->FreeBlocks(true), 0);
}

TEST(FileDrivesTest, FromTheEnvironment) {
    setenv("QM_DISC_DRIVES", "/tmp/a.iso::/tmp/b c.iso:", 1);
    EXPECT_EQ(disc::linuxburn::FileDrivesFromEnvironment(), (std::vector<std::string>{"/tmp/a.iso", "/tmp/b c.iso"}));
    unsetenv("QM_DISC_DRIVES");
    EXPECT_TRUE(disc::linuxburn::FileDrivesFromEnvironment().empty());
}

}  // namespace
}  // namespace qm::test
