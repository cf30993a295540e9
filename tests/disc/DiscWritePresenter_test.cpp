// The disc window's logic against the scripted component and the recording
// window: load and hand-over, the image view, the medium check, the write
// followed to its end, verification texts, cancel and the closing rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "disc/DiscWritePresenter.h"
#include "disc/FakeDiscEngine.h"
#include "disc/FakeDiscViews.h"
#include "disc/Texts.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

using disc::CheckBox;
using disc::ComboBox;
using disc::Control;
namespace stage = disc::stage;

class DiscWritePresenterTest : public ::testing::Test {
protected:
    DiscWritePresenterTest() {
        auto& burner = engine.addDevice("Burner");
        burner.supports = {disc::capability::BufferUnderrunProtection};
        burner.speeds = {8000, 2400};
        engine.addDevice("Reader").canWrite = false;
        engine.addDevice("File drive");
    }
    // Loads the window; the status history then starts empty.
    void load() {
        ASSERT_TRUE(window.Load(title, path));
        view.statusHistory.clear();
    }
    FakeDevice& device(int i) { return *engine.devices[static_cast<std::size_t>(i)]; }
    std::vector<std::string> entries(ComboBox list) {
        std::vector<std::string> texts;
        for (const auto& e : view.lists[list]) texts.push_back(e.text);
        return texts;
    }
    void selectDevice(int entry) {
        view.selected[ComboBox::cboDevices] = entry;
        window.DeviceSelected();
    }

    FakeDiscEngine engine;
    FakeDiscWriteView view;
    disc::DiscWritePresenter window{engine, view};
    std::string title, path;
};

TEST_F(DiscWritePresenterTest, LoadListsWritableDrivesAndSetsTheDefaults) {
    load();
    EXPECT_EQ(view.caption, "Backup Outlook Data to CD/DVD");
    EXPECT_EQ(entries(ComboBox::cboDevices), (std::vector<std::string>{"Burner", "File drive"}));
    EXPECT_EQ(view.lists[ComboBox::cboDevices][1].data, 2);  // the drive's index, not the entry's
    EXPECT_EQ(window.SelectedDevice(), &device(0));
    EXPECT_EQ(entries(ComboBox::cboWriteSpeed), (std::vector<std::string>{"8.0x", "2.4x"}));
    EXPECT_EQ(entries(ComboBox::cboVolumeType),
              (std::vector<std::string>{"ISO9660", "UDF", "ISO9660/Joliet Bridge", "ISO9660/UDF (DVDVideo) Bridge",
                                        "ISO9660/Joliet/UDF Bridge"}));
    std::vector<int> codes;
    for (const auto& e : view.lists[ComboBox::cboVolumeType]) codes.push_back(e.data);
    EXPECT_EQ(codes, (std::vector<int>{1, 4, 3, 5, 7}));
    EXPECT_EQ(view.selected[ComboBox::cboVolumeType], 4);
    EXPECT_EQ(engine.FileSystem, 7);
    EXPECT_EQ(engine.StartSetting, 1);
    EXPECT_TRUE(engine.UseFileDates);
    EXPECT_TRUE(view.checked[CheckBox::chkUseFileDates]);
    EXPECT_TRUE(view.checked[CheckBox::chkUseBufferProtect]);
    EXPECT_TRUE(view.enabled[Control::chkUseBufferProtect]);
    EXPECT_FALSE(view.enabled[Control::cmdCancel]);
    EXPECT_TRUE(view.enabled[Control::cmdWriteDisc]);
    EXPECT_TRUE(window.Idle());
    EXPECT_EQ(view.label, "Outlook Data Backup CD");
    EXPECT_EQ(view.tree["\\"].text, "Outlook Data Backup CD");
    EXPECT_EQ(view.tree["\\"].icon, "CD");
    EXPECT_EQ(view.labelMaxLength, 32);
    EXPECT_EQ(engine.clears, 1);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(DiscWritePresenterTest, LoadRefusals) {
    {
        FakeDiscEngine failing;
        failing.initializeResult = false;
        FakeDiscWriteView v;
        disc::DiscWritePresenter w(failing, v);
        EXPECT_FALSE(w.Load(title, path));
        ASSERT_EQ(v.messages.size(), 1u);
        EXPECT_EQ(v.messages[0].text, "Devices Cannot be initialized...Contact support!");
        EXPECT_EQ(v.messages[0].icon, app::Icon::None);
        EXPECT_EQ(v.endApplications, 1);
    }
    {
        FakeDiscEngine none;
        none.addDevice("Reader").canWrite = false;
        FakeDiscWriteView v;
        disc::DiscWritePresenter w(none, v);
        EXPECT_TRUE(w.Load(title, path));
        EXPECT_EQ(v.messageTexts(), (std::vector<std::string>{"There are no compatible devices reported.\r\n"
                                                              "Some older devices are not currently supported."}));
        EXPECT_EQ(w.SelectedDevice(), nullptr);
        // Writing and erasing without a drive say so instead of doing anything.
        w.WriteDiscPressed();
        w.EraseDiscPressed();
        EXPECT_EQ(v.messages.size(), 3u);
        EXPECT_TRUE(none.startedWith.empty());
        EXPECT_TRUE(v.eraseWindows.empty());
    }
}

TEST_F(DiscWritePresenterTest, DrivesWithoutSpeedsOrUnderrunProtection) {
    load();
    selectDevice(1);  // "File drive": no speeds, no capability 57
    EXPECT_EQ(entries(ComboBox::cboWriteSpeed), (std::vector<std::string>{"MAX"}));
    EXPECT_EQ(view.lists[ComboBox::cboWriteSpeed][0].data, 0);
    EXPECT_FALSE(view.checked[CheckBox::chkUseBufferProtect]);
    EXPECT_FALSE(view.enabled[Control::chkUseBufferProtect]);

    engine.writeScript = {status(0, stage::Completed)};
    view.selected[ComboBox::cboWriteSpeed] = 0;
    window.WriteDiscPressed();
    ASSERT_EQ(engine.startedWith.size(), 1u);
    EXPECT_EQ(engine.startedWith[0].WriteSpeed, 0);
    EXPECT_EQ(engine.startedOn[0], "File drive");
    EXPECT_FALSE(view.enabled[Control::chkUseBufferProtect]);  // also after the write ended
}

TEST_F(DiscWritePresenterTest, HandOverPlacesTheArchiveAtTheRootOnlyWithBothStrings) {
    engine.sourceSizes["/home/u/backup.qmk"] = 1234567;
    title = "backup.qmk";
    path = "/home/u/backup.qmk";
    load();
    ASSERT_EQ(engine.addedFiles.size(), 1u);
    EXPECT_EQ(engine.addedFiles[0], (std::pair<std::string, std::string>{"/home/u/backup.qmk", "\\backup.qmk"}));
    EXPECT_TRUE(title.empty());
    EXPECT_TRUE(path.empty());
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].key, "\\backup.qmk");
    EXPECT_EQ(view.rows[0].text, "backup.qmk");
    EXPECT_EQ(view.rows[0].icon, "FILE");
    EXPECT_EQ(view.rows[0].size, "1,234.57 KB");
    EXPECT_EQ(view.panels[2], "Files: 1");
    EXPECT_EQ(view.panels[3], "Folders: 0");
    EXPECT_EQ(view.tree["\\"].text, "Outlook Data Backup CD");

    for (const auto& [t, p] : {std::pair<std::string, std::string>{"b.qmk", ""}, {"", "/x/b.qmk"}}) {
        FakeDiscEngine e;
        e.addDevice("Burner");
        FakeDiscWriteView v;
        disc::DiscWritePresenter w(e, v);
        std::string t2 = t, p2 = p;
        ASSERT_TRUE(w.Load(t2, p2));
        EXPECT_TRUE(e.addedFiles.empty());
        EXPECT_EQ(t2, t);
        EXPECT_EQ(p2, p);
    }
}

TEST_F(DiscWritePresenterTest, DropsGoToTheSelectedFolderByName) {
    load();
    TempDir dir;
    std::filesystem::create_directories(dir / "Mail");
    writeHostFile(dir / "x.txt", "x");

    window.AddDroppedItems({false, {dir / "x.txt"}});  // text, not a file list
    EXPECT_TRUE(engine.addedFiles.empty());
    EXPECT_TRUE(view.messages.empty());

    view.selectedTree = "\\";
    window.AddDroppedItems({true, {"C:\\Data\\a.qmk", dir / "Mail"}});
    ASSERT_EQ(engine.addedFiles.size(), 1u);
    EXPECT_EQ(engine.addedFiles[0].second, "\\a.qmk");
    ASSERT_EQ(engine.addedFolders.size(), 1u);
    EXPECT_EQ(engine.addedFolders[0], (std::pair<std::string, std::string>{dir / "Mail\\*.*", "\\Mail"}));
    EXPECT_EQ(view.tree["\\Mail"].parent, "\\");
    EXPECT_EQ(view.tree["\\Mail"].icon, "CLOSEDFOLDER");
    EXPECT_EQ(view.tree["\\Mail"].selectedIcon, "OPENFOLDER");
    EXPECT_NE(std::find(view.statusHistory.begin(), view.statusHistory.end(), "Adding....\\Mail"),
              view.statusHistory.end());
    EXPECT_EQ(view.panels[1], "Data Image Size: 0.00 MB");  // the refresh shows the totals again
    EXPECT_GE(view.yields, 2);  // one per item entering the image
    EXPECT_FALSE(view.hourglass);

    view.selectedTree = "\\Mail";
    window.AddDroppedItems({true, {"C:\\x.txt", dir / "x.txt/"}});
    EXPECT_EQ(engine.addedFiles[1].second, "\\Mail\\x.txt");
    EXPECT_EQ(engine.addedFiles[2], (std::pair<std::string, std::string>{dir / "x.txt", "\\Mail\\x.txt"}));
    EXPECT_EQ(view.rowKeys(), (std::vector<std::string>{"\\Mail\\x.txt"}));  // the selected folder's files

    // A host name holding "\" is not taken for a folder and a file.
    const std::size_t added = engine.addedFiles.size();
    window.AddDroppedItems({true, {"/tmp/odd\\name.pst"}});
    EXPECT_EQ(engine.addedFiles.size(), added);

    // A drop while another is still adding (the user dropped during a yield)
    // is not started inside it.
    view.onYield = [&] { window.AddDroppedItems({true, {"C:\\late.txt"}}); };
    window.AddDroppedItems({true, {"C:\\y.txt"}});
    EXPECT_EQ(engine.addedFiles.back().first, "C:\\y.txt");
}

TEST_F(DiscWritePresenterTest, ClearAndLabel) {
    load();
    window.AddDroppedItems({true, {"C:\\a.qmk"}});
    window.ClearAllPressed();
    EXPECT_EQ(view.label, "New Disc");
    EXPECT_EQ(view.tree["\\"].text, "New Disc");
    EXPECT_EQ(engine.Volume.Label, "New Disc");
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.panels[2], "Files: 0");

    const std::string thirtyTwo = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    window.VolumeLabelChanged(thirtyTwo + "6");
    EXPECT_EQ(view.label, thirtyTwo);
    EXPECT_EQ(view.tree["\\"].text, thirtyTwo);
    window.VolumeLabelChanged("Ünïcödé ÄÖÜ 1234567890123456789012");  // characters, not bytes
    EXPECT_EQ(view.label, "Ünïcödé ÄÖÜ 12345678901234567890");
}

TEST_F(DiscWritePresenterTest, RemoveRenameAndMenus) {
    load();
    window.RemoveFolderPressed();
    window.RenameFolderPressed();
    window.RemoveFilePressed();
    window.RenameFilePressed();
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>(4, "No Item Selected."));

    view.messages.clear();
    view.selectedTree = "\\";
    window.RemoveFolderPressed();
    window.RenameFolderPressed();
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{"Item could not be removed.", "Root directory can not be renamed."}));
    EXPECT_TRUE(view.treeEdits.empty());

    window.AddDroppedItems({true, {"C:\\Data\\Mail\\Sub\\b.txt"}});
    engine.AddFolder("C:\\Data\\Mail\\*.*", "\\Mail");
    engine.AddFolder("C:\\Data\\Mail\\Sub\\*.*", "\\Mail\\Sub");
    view.messages.clear();
    view.selectedTree = "\\Mail";
    window.RenameFolderPressed();
    EXPECT_EQ(view.treeEdits, (std::vector<std::string>{"\\Mail"}));
    window.TreeLabelEdited("\\Mail", "Post");
    EXPECT_TRUE(view.tree.count("\\Post"));
    EXPECT_FALSE(view.tree.count("\\Mail"));
    engine.renameResult = false;
    window.TreeLabelEdited("\\Post", "Other");
    window.FileLabelEdited("\\b.txt", "c.txt");
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{"Folder could not be renamed.", "File could not be renamed."}));
    EXPECT_EQ(view.tree["\\Post"].text, "Post");  // the typed text does not stay after a failure

    view.selectedTree = "\\Post";
    window.RemoveFolderPressed();
    EXPECT_FALSE(view.tree.count("\\Post"));

    window.ListRightClicked();
    window.TreeRightClicked();
    ASSERT_EQ(view.popups.size(), 2u);
    EXPECT_EQ(view.popups[0], (std::array<bool, 8>{true, false, false, false, true, true, false, false}));
    EXPECT_EQ(view.popups[1], (std::array<bool, 8>{true, false, true, true, false, false, false, false}));
    EXPECT_EQ(view.menuVisible, (std::array<bool, 8>{true, true, true, true, true, true, true, true}));
}

TEST_F(DiscWritePresenterTest, ReplaceQueryAsksAndAnswers) {
    load();
    window.AddDroppedItems({true, {"C:\\a.qmk"}});
    view.answers = {app::Answer::Cancel};
    window.AddDroppedItems({true, {"D:\\a.qmk"}});
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].title, "Replace file...");
    EXPECT_EQ(view.messages[0].text,
              "A file already exists in the image: \r\n\\a.qmk\r\nWould you like to replace it with: \r\nD:\\a.qmk ?");
    EXPECT_EQ(engine.entries["\\a.qmk"].source, "C:\\a.qmk");
    window.AddDroppedItems({true, {"D:\\a.qmk"}});
    EXPECT_EQ(engine.entries["\\a.qmk"].source, "D:\\a.qmk");
}

TEST_F(DiscWritePresenterTest, CheckMediaSpaceAndMedium) {
    load();
    auto& d = device(0);
    d.freeBlocks = 1024;
    engine.imageSize = 1024.0 * 2048;  // exactly what is free
    EXPECT_TRUE(window.CheckMedia());
    EXPECT_EQ(d.refreshes.back(), true);

    d.freeBlocks = 512;  // 1 MiB free
    engine.imageSize = 2097152;
    EXPECT_FALSE(window.CheckMedia());
    EXPECT_EQ(view.messages.back().text,
              "Free Space on the loaded disc is 1.00 MB!\r\nThis data image requires 2.00 MB of Free Space!");
    EXPECT_EQ(view.messages.back().icon, app::Icon::Information);

    engine.imageSize = 0;
    d.media = {disc::media::None, true, true};
    EXPECT_FALSE(window.CheckMedia());
    d.media = {disc::media::CdRom, false, false};
    EXPECT_FALSE(window.CheckMedia());
    EXPECT_EQ(view.messages[1].text, "Please Insert Writable Media before continuing!");
    EXPECT_EQ(view.messages[2].text, "Please Insert Writable Media before continuing!");

    window.WriteDiscPressed();  // the check refuses: nothing starts
    EXPECT_TRUE(engine.startedWith.empty());
}

TEST_F(DiscWritePresenterTest, WriteHandsTheSettingsOverAndFollowsTheStages) {
    load();
    view.label = std::string(40, 'L');
    view.checked[CheckBox::chkAutoVerify] = false;
    view.checked[CheckBox::chkDiscAtOnce] = true;
    view.checked[CheckBox::chkFinalizeDisc] = true;
    view.selected[ComboBox::cboWriteSpeed] = 1;
    view.selected[ComboBox::cboVolumeType] = 2;
    engine.writeScript = {status(0, stage::Preparing),  status(40, stage::Writing),   status(55, stage::Buffering),
                          status(60, 12),               status(70, stage::LeadIn),    status(80, stage::ClosingTrack),
                          status(90, stage::LeadOut),   status(95, stage::ClosingSession),
                          status(100, stage::Completed)};
    bool closeRefused = false;
    view.onYield = [&] {
        if (!window.Idle() && !closeRefused) {
            closeRefused = !window.QueryUnload();
            window.ExitPressed();
        }
    };
    window.WriteDiscPressed();

    ASSERT_EQ(engine.startedWith.size(), 1u);
    const auto& s = engine.startedWith[0];
    EXPECT_EQ(s.Label, std::string(32, 'L'));
    EXPECT_EQ(s.WriteSetting, 1);
    EXPECT_EQ(s.WriteSpeed, 2400);
    EXPECT_EQ(s.FileSystem, 3);
    EXPECT_EQ(s.WriteMode, 248);
    EXPECT_TRUE(s.Finalize);
    EXPECT_TRUE(s.BufferProtection);
    EXPECT_FALSE(s.TestWrite);

    EXPECT_TRUE(closeRefused);
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(view.statusHistory,
              (std::vector<std::string>{"Preparing Image....", "Writing Lead-in....", "Closing Track....",
                                        "Writing Lead-out....", "Updating Volume....", "Write Completed!"}));
    EXPECT_EQ(view.progressHistory, (std::vector<int>{40}));  // stage 7 and stage 12 change nothing
    EXPECT_EQ(view.messageTexts(), (std::vector<std::string>{"Write Complete!"}));
    EXPECT_TRUE(window.Idle());
    EXPECT_GE(view.yields, 9);  // the window ran between every poll
    EXPECT_TRUE(window.QueryUnload());

    engine.startResult = false;
    load();
    window.WriteDiscPressed();
    EXPECT_EQ(view.messages.back().text, "Disc Write could not be started.");
    EXPECT_EQ(view.messages.back().icon, app::Icon::Critical);
    EXPECT_TRUE(window.Idle());
}

TEST_F(DiscWritePresenterTest, CancelMidWriteEndsWithWriteCancelled) {
    load();
    for (int i = 1; i <= 50; ++i) engine.writeScript.push_back(status(i * 2, stage::Writing));
    engine.abortScript = {status(0, stage::Cancelled)};
    view.onYield = [&] {
        if (!window.Idle() && view.progress >= 10 && engine.aborts == 0) window.CancelPressed();
    };
    window.WriteDiscPressed();
    EXPECT_EQ(engine.aborts, 1);
    EXPECT_LT(view.progress, 20);
    EXPECT_EQ(view.statusHistory,
              (std::vector<std::string>{"Aborting Write...Please Wait!", "Write Cancelled...."}));
    EXPECT_EQ(view.messageTexts(), (std::vector<std::string>{"Write Cancelled!"}));
    EXPECT_TRUE(window.Idle());
    window.ExitPressed();
    EXPECT_EQ(view.closes, 1);
}

TEST_F(DiscWritePresenterTest, AWriteTheComponentLeavesWithoutAnEndUnlocksTheWindow) {
    load();
    engine.writeScript = {status(50, stage::Writing)};
    window.WriteDiscPressed();
    EXPECT_TRUE(window.Idle());
    EXPECT_EQ(view.panels[1], "Write Error!");
    EXPECT_FALSE(view.enabled[Control::cmdCancel]);
}

TEST_F(DiscWritePresenterTest, VerificationMessagesProgressAndTheFinalWord) {
    load();
    view.checked[CheckBox::chkAutoVerify] = true;
    engine.writeScript = {
        [](FakeDiscEngine& e) { e.emit([](disc::DiscEvents& ev) { ev.VerifyStarted(8); }); },
        verifyStep("\\a", "/s/a", disc::verify::Matched, 1, 3),
        verifyStep("\\b", "/s/b", disc::verify::SourceUnreadable, 1, 8),
        verifyStep("\\c", "/s/c", disc::verify::DiscUnreadable, 3, 8),
        verifyStep("\\d", "/s/d", disc::verify::ContentDiffers, 5, 8),
        verifyStep("\\e", "/s/e", disc::verify::SizeDiffers, 7, 8),
        verifyStep("\\f", "/s/f", disc::verify::Skipped, 8, 8),
        [](FakeDiscEngine& e) { e.emit([](disc::DiscEvents& ev) { ev.VerifyFinished(8, 2); }); },
        status(100, stage::Completed),
    };
    window.WriteDiscPressed();
    EXPECT_EQ(view.progressHistory, (std::vector<int>{33, 12, 38, 62, 88, 100}));
    const auto texts = view.messageTexts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], "Verify Error - Could not read Source file from disc: \r\n\\b (disc)\r\n/s/b (source)");
    EXPECT_EQ(texts[1], "Verify Error - Could not read Destination file from disc: \r\n\\c (disc)\r\n/s/c (source)");
    EXPECT_EQ(texts[2], "Verify Error - Source and Destination file did not match: \r\n\\d (disc)\r\n/s/d (source)");
    EXPECT_EQ(texts[3],
              "Verify Error - Size of Source and Destination file did not match: \r\n\\e (disc)\r\n/s/e (source)");
    EXPECT_EQ(view.messages[0].icon, app::Icon::None);
    // A verification that found differences is not reported as a verified write.
    EXPECT_EQ(texts[4], "Write Complete, but the Verify found errors!\r\nAuto-Verify...Complete (2 of 8 MATCHED)");
    EXPECT_EQ(view.messages[4].icon, app::Icon::Exclamation);
    EXPECT_EQ(view.statusHistory[0], "Auto-Verify... 8 new files.");
    EXPECT_EQ(view.statusHistory[1], "Auto-Verify... \\a");
    EXPECT_EQ(view.statusHistory[7], "Auto-Verify...Complete (2 of 8 MATCHED)");

    view.messages.clear();
    engine.writeScript = {[](FakeDiscEngine& e) { e.emit([](disc::DiscEvents& ev) { ev.VerifyFinished(1, 1); }); },
                          status(100, stage::Completed)};
    window.WriteDiscPressed();
    EXPECT_EQ(view.messageTexts(), (std::vector<std::string>{"Write and Verify Complete!"}));

    view.messages.clear();
    engine.writeScript = {status(100, stage::Completed)};  // verification never ran
    window.WriteDiscPressed();
    EXPECT_EQ(view.messageTexts(), (std::vector<std::string>{"Write Complete, but the Verify found errors!"}));

    view.messages.clear();
    view.checked[CheckBox::chkTestWrite] = true;
    engine.writeScript = {status(100, stage::Completed)};
    window.WriteDiscPressed();
    EXPECT_EQ(view.messageTexts(), (std::vector<std::string>{"Test Write Complete! Nothing was written to the disc."}));
}

TEST_F(DiscWritePresenterTest, WarningsFailuresAndTrackReading) {
    load();
    disc::FileProblem problem{1, "/s/a.pst", "cannot be read"};
    bool answered = true;
    engine.writeScript = {
        [&](FakeDiscEngine& e) { answered = e.subscribers.front()->FileWarning(problem); },
        [](FakeDiscEngine& e) { e.emit([](disc::DiscEvents& ev) { ev.TrackReading(7, 40, "data"); }); },
        [](FakeDiscEngine& e) {
            disc::WriteFailure f;
            f.Kind = disc::failure::SourceFile;
            f.FileProblem = {3, "/s/big", "too large"};
            e.emit([&](disc::DiscEvents& ev) { ev.WriteFailed(f); });
        },
        status(0, stage::Failed),
    };
    view.answers = {app::Answer::Cancel};
    window.WriteDiscPressed();
    EXPECT_FALSE(answered);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].text, "File Warning(1):/s/a.pst\r\ncannot be read");
    EXPECT_EQ(view.messages[0].icon, app::Icon::Exclamation);
    EXPECT_EQ(view.messages[0].buttons, app::Buttons::OkCancel);
    EXPECT_EQ(view.messages[1].text, "Source File Error: (3)   too large\r\n'/s/big'");
    EXPECT_EQ(view.messages[1].icon, app::Icon::Critical);
    EXPECT_EQ(view.statusHistory,
              (std::vector<std::string>{"File Warning!", "Track: 07 - Reading...40 - data", "Write Error!"}));
    EXPECT_TRUE(window.Idle());
}

TEST(WriteFailureTextTest, EachKind) {
    disc::WriteFailure f;
    f.Text = "text";
    f.SystemCode = 5;
    f.DeviceFailure = {12, "drive", "detail", "extra"};
    f.FileProblem = {4, "/out.iso", "problem"};
    const std::pair<int, std::string> cases[] = {
        {1, "Device Error: (12)   drive\r\ndetail - extra"},
        {2, "Output File Error: (4)   problem\r\n'/out.iso'"},
        {3, "Source File Error: (4)   problem\r\n'/out.iso'"},
        {5, "System Error: (5)   text"},
        {4, "Write Error: (4)   text"},
        {0, "Write Error: (0)   text"},
    };
    for (const auto& [kind, expected] : cases) {
        f.Kind = kind;
        EXPECT_EQ(disc::WriteFailureText(f), expected) << kind;
    }
}

TEST_F(DiscWritePresenterTest, DeviceMenu) {
    load();
    window.EjectPressed();
    window.CloseTrayPressed();
    window.EraseDiscPressed();
    EXPECT_EQ(device(0).ejects, 1);
    EXPECT_EQ(device(0).closeTrays, 1);
    EXPECT_EQ(view.eraseWindows, (std::vector<std::string>{"Burner"}));
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

// What the medium holds decides, before anything is written, whether the
// write adds a session, replaces the data after a question, or is refused.
TEST_F(DiscWritePresenterTest, WhatTheMediumHoldsIsAddedToReplacedAfterAQuestionOrRefused) {
    load();
    auto& d = device(0);
    const auto writeWith = [&](disc::MediaInfo media, int volumeType, std::deque<app::Answer> answers = {}) {
        d.media = media;
        view.selected[ComboBox::cboVolumeType] = volumeType;
        view.messages.clear();
        view.answers = std::move(answers);
        engine.writeScript = {status(100, stage::Completed)};
        const std::size_t before = engine.startedWith.size();
        window.WriteDiscPressed();
        return engine.startedWith.size() > before;
    };
    const int joliet = 2, jolietUdf = 4;
    using M = disc::MediaInfo;
    const M blank{disc::media::CdR, true, false, false, false, false};
    const M sessionsOnCdR{disc::media::CdR, true, false, true, true, false};
    const M closedImageOnDvdRam{disc::media::DvdRam, true, true, true, false, true};
    const M appendableDvdRam{disc::media::DvdRam, true, true, true, true, true};

    EXPECT_TRUE(writeWith(blank, jolietUdf));
    EXPECT_FALSE(engine.startedWith.back().AppendSession);
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write Complete!"});

    // A session follows the earlier ones, without a question.
    EXPECT_TRUE(writeWith(sessionsOnCdR, joliet));
    EXPECT_TRUE(engine.startedWith.back().AppendSession);
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write Complete!"});
    EXPECT_TRUE(writeWith(appendableDvdRam, joliet));
    EXPECT_TRUE(engine.startedWith.back().AppendSession);

    // The UDF types cannot follow a session: refused where the disc cannot
    // be overwritten ...
    EXPECT_FALSE(writeWith(sessionsOnCdR, jolietUdf));
    EXPECT_EQ(
        view.messageTexts(),
        std::vector<std::string>{"The disc in the drive holds data, and the UDF volume types cannot add a session "
                                 "after it. Choose ISO9660 or ISO9660/Joliet Bridge, or insert a blank disc."});
    EXPECT_EQ(view.messages[0].icon, app::Icon::Information);
    // ... asked about where it can.
    EXPECT_FALSE(writeWith(appendableDvdRam, jolietUdf, {app::Answer::Cancel}));
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"The disc in the drive holds data. Writing replaces everything on it.\r\n"
                                       "(ISO9660 and ISO9660/Joliet Bridge would add a session after it instead.)\r\n"
                                       "\r\nWrite anyway?"});
    EXPECT_EQ(view.messages[0].buttons, app::Buttons::OkCancel);
    EXPECT_TRUE(writeWith(closedImageOnDvdRam, joliet, {app::Answer::Ok}));
    EXPECT_FALSE(engine.startedWith.back().AppendSession);
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{
                  "The disc in the drive holds data. Writing replaces everything on it.\r\n\r\nWrite anyway?",
                  "Write Complete!"}));

    // A disc holding data a session cannot follow, and that cannot be overwritten.
    EXPECT_FALSE(writeWith({disc::media::DvdPlusR, true, false, true, false, false}, joliet));
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"The disc in the drive holds data that a new session cannot follow. Insert a "
                                       "blank disc, or erase this one first."});

    // A test write replaces nothing: nothing to ask.
    view.checked[CheckBox::chkTestWrite] = true;
    EXPECT_TRUE(writeWith(closedImageOnDvdRam, joliet));
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Test Write Complete! Nothing was written to the disc."});
}

TEST_F(DiscWritePresenterTest, NamesWindowsWouldSeeChangedAreListedFirst) {
    load();
    for (int i = 1; i <= 12; ++i) engine.changedNames.push_back("\\name" + std::to_string(i) + "?");
    view.answers = {app::Answer::Cancel};
    window.WriteDiscPressed();
    EXPECT_TRUE(engine.startedWith.empty());
    std::string listed;
    for (int i = 1; i <= 10; ++i) listed += "\r\n\\name" + std::to_string(i) + "?";
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Windows and other systems that read the disc's Joliet or UDF names will see "
                                       "these names shortened or with characters replaced:" +
                                       listed + "\r\n... and 2 more\r\n\r\nWrite anyway?"});
    EXPECT_EQ(view.messages[0].icon, app::Icon::Exclamation);

    engine.writeScript = {status(100, stage::Completed)};
    window.WriteDiscPressed();  // OK this time
    EXPECT_EQ(engine.startedWith.size(), 1u);
}

TEST_F(DiscWritePresenterTest, CancelWhileVerifyingSaysTheWriteCompleted) {
    load();
    view.checked[CheckBox::chkAutoVerify] = true;
    engine.writeScript = {status(100, stage::Writing),
                          [](FakeDiscEngine& e) { e.emit([](disc::DiscEvents& ev) { ev.VerifyStarted(3); }); },
                          verifyStep("\\a", "/s/a", disc::verify::Matched, 1, 3), status(0, stage::Cancelled)};
    window.WriteDiscPressed();
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Write Complete! The Verify was cancelled, so not every file was checked."});
    EXPECT_EQ(view.panels[1], "Write Completed! Verify Cancelled.");

    // A cancel before the verification is still a cancelled write.
    view.messages.clear();
    engine.writeScript = {status(50, stage::Writing), status(0, stage::Cancelled)};
    window.WriteDiscPressed();
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write Cancelled!"});
}

// "Use File Dates" can be turned off only where the volume type honours it.
TEST_F(DiscWritePresenterTest, UseFileDatesOnlyWhereTheVolumeTypeCanDoWithoutThem) {
    load();
    // The default type, ISO9660/Joliet/UDF Bridge, always keeps the dates.
    EXPECT_TRUE(view.checked[CheckBox::chkUseFileDates]);
    EXPECT_FALSE(view.enabled[Control::chkUseFileDates]);

    view.selected[ComboBox::cboVolumeType] = 2;  // ISO9660/Joliet Bridge
    window.VolumeTypeSelected();
    EXPECT_TRUE(view.enabled[Control::chkUseFileDates]);
    view.checked[CheckBox::chkUseFileDates] = false;
    window.UseFileDatesClicked();
    EXPECT_FALSE(engine.UseFileDates);

    view.selected[ComboBox::cboVolumeType] = 1;  // UDF: shown kept, the choice remembered
    window.VolumeTypeSelected();
    EXPECT_TRUE(view.checked[CheckBox::chkUseFileDates]);
    EXPECT_FALSE(view.enabled[Control::chkUseFileDates]);
    EXPECT_TRUE(engine.UseFileDates);
    engine.writeScript = {status(100, stage::Completed)};
    window.WriteDiscPressed();
    EXPECT_TRUE(engine.startedWith.back().UseFileDates);
    EXPECT_FALSE(view.enabled[Control::chkUseFileDates]);  // also after the write

    view.selected[ComboBox::cboVolumeType] = 0;  // ISO9660: the choice back
    window.VolumeTypeSelected();
    EXPECT_FALSE(view.checked[CheckBox::chkUseFileDates]);
    EXPECT_TRUE(view.enabled[Control::chkUseFileDates]);
    engine.writeScript = {status(100, stage::Completed)};
    window.WriteDiscPressed();
    EXPECT_FALSE(engine.startedWith.back().UseFileDates);
}

}  // namespace
}  // namespace qm::test
