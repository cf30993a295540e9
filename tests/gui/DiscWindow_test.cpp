// The disc windows as a user meets them: a backup handed over to the disc
// window and written to a file standing in for a drive.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "disc/linux/LinuxDiscEngine.h"
#include "gui/DiscWindow.h"
#include "gui/EraseDialog.h"
#include "gui/GuiFixture.h"

namespace qm::test {
namespace {

using app::Answer;

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

int runCommand(const std::string& command, std::string& out) {
    out.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    return pclose(pipe);
}

template <typename T>
T* shown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<T*>(w); d && d->isVisible()) return d;
    return nullptr;
}

gui::DiscWindow* shownDiscWindow() { return shown<gui::DiscWindow>(); }

// Runs `step` on the disc window once it is shown (it opens modally).
void whenDiscWindowShows(std::function<void(gui::DiscWindow&)> step, int attempts = 400) {
    QTimer::singleShot(10, [step, attempts] {
        if (gui::DiscWindow* w = shownDiscWindow()) return step(*w);
        if (attempts > 0) whenDiscWindowShows(step, attempts - 1);
    });
}

class DiscGuiTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        drive = dir / "drive.iso";
        setenv("QM_DISC_DRIVES", drive.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("QM_DISC_DRIVES");
        GuiTest::TearDown();
    }
    std::string drive;
};

TEST_F(DiscGuiTest, ABackupIsHandedOverWrittenAndTheWindowStaysWhileItWrites) {
    auto& alice = install("alice", "11.0");
    open(alice);
    context_->openDiscWindow = gui::discWindowOpener(*alice.session);
    const std::string archive = dir / "alice.qmk";
    gui::FilePickers::setNextFileName(archive);
    click(QStringLiteral("cmdTargetFile"));
    backupBox(0)->setChecked(true);

    bool closedWhileWriting = true;
    bool sawArchive = false;
    bool sawFileDrive = false;
    whenDiscWindowShows([&](gui::DiscWindow& w) {
        auto* files = w.findChild<QTreeWidget*>(QStringLiteral("lvwImageFiles"));
        sawArchive = files->topLevelItemCount() == 1 && files->topLevelItem(0)->text(0) == QStringLiteral("alice.qmk");
        sawFileDrive = w.findChild<QComboBox*>(QStringLiteral("cboDevices"))->currentText().contains(QString::fromStdString(drive));
        w.findChild<QCheckBox*>(QStringLiteral("chkAutoVerify"))->setChecked(true);
        // A close asked for mid-write is refused.
        QTimer::singleShot(0, &w, [&w, &closedWhileWriting] {
            w.close();
            closedWhileWriting = !w.isVisible();
        });
        w.findChild<QPushButton*>(QStringLiteral("cmdWriteDisc"))->click();  // returns when the write has ended
        w.findChild<QAction*>(QStringLiteral("mnuFileExit"))->trigger();
    });
    gui::MessageBoxes::setNextAnswer(Answer::Ok);  // the report
    gui::MessageBoxes::setNextAnswer(Answer::Ok);  // to a disc
    click(QStringLiteral("cmdApply"));

    EXPECT_TRUE(sawArchive);
    EXPECT_TRUE(sawFileDrive);
    EXPECT_FALSE(closedWhileWriting);
    EXPECT_EQ(shownDiscWindow(), nullptr);
    const auto texts = messages();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "Write and Verify Complete!");

    // Another program reads the archive back from the disc, byte for byte.
    const std::string copy = dir / "from-disc.qmk";
    std::string out;
    ASSERT_EQ(runCommand("xorriso -osirrox on -indev '" + drive + "' -extract /alice.qmk '" + copy + "' 2>&1", out), 0)
        << out;
    EXPECT_EQ(contents(copy), contents(archive));
}

// The Device menu's erase, through the erase window, blanks the drive; the
// window refuses to close while it works and closes itself after.
TEST_F(DiscGuiTest, TheDeviceMenuErasesTheDisc) {
    std::ofstream(drive, std::ios::binary) << std::string(1 << 20, 'd');
    disc::linuxburn::LinuxDiscEngineOptions options;
    options.scanDrives = false;
    options.fileDrives = {drive};
    const auto engine = disc::linuxburn::MakeLinuxDiscEngine(options);
    gui::DiscWindow window(*engine, nullptr);
    ASSERT_TRUE(window.load("", ""));
    window.show();

    bool eraseShown = false;
    QTimer::singleShot(10, [&eraseShown] {
        gui::EraseDialog* erase = shown<gui::EraseDialog>();
        if (!erase) return;
        eraseShown = true;
        erase->findChild<QPushButton*>(QStringLiteral("cmdErase"))->click();
    });
    window.findChild<QAction*>(QStringLiteral("mnuDeviceEraseDisc"))->trigger();

    EXPECT_TRUE(eraseShown);
    EXPECT_EQ(shown<gui::EraseDialog>(), nullptr);
    EXPECT_EQ(messages(), std::vector<std::string>{"Erase Completed!!!"});
    EXPECT_EQ(std::filesystem::file_size(drive), 0u);
}

}  // namespace
}  // namespace qm::test
