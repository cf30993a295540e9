// The disc windows as a user meets them: a backup handed over to the disc
// window and written to a file standing in for a drive.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
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

// Host files dragged onto a widget, moved over it and dropped, as a file
// manager does; false when the widget refuses them on the way.
bool dropFiles(QWidget* target, const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const auto& p : paths) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    if (!enter.isAccepted() || !move.isAccepted()) return false;
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return true;
}

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

// The disc window of its own, over one file drive.
class DiscWindowTest : public DiscGuiTest {
protected:
    void openWindow() {
        disc::linuxburn::LinuxDiscEngineOptions options;
        options.scanDrives = false;
        options.fileDrives = {drive};
        engine = disc::linuxburn::MakeLinuxDiscEngine(options);
        window = std::make_unique<gui::DiscWindow>(*engine, nullptr);
        ASSERT_TRUE(window->load("", ""));
        window->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        window.reset();
        engine.reset();
        DiscGuiTest::TearDown();
    }
    template <typename T>
    T* child(const char* name) {
        T* w = window->findChild<T*>(QString::fromUtf8(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void drop(const std::vector<std::string>& paths) {
        EXPECT_TRUE(dropFiles(child<QTreeWidget>("lvwImageFiles")->viewport(), paths));
    }
    QTreeWidgetItem* row(const QString& name) {
        auto* files = child<QTreeWidget>("lvwImageFiles");
        for (int i = 0; i < files->topLevelItemCount(); ++i)
            if (files->topLevelItem(i)->text(0) == name) return files->topLevelItem(i);
        return nullptr;
    }
    // Types a name into the editor open on the file list and presses Enter
    // (or Escape to leave it).
    void typeName(const QString& name, Qt::Key end = Qt::Key_Return) {
        ASSERT_TRUE(openEditor(child<QTreeWidget>("lvwImageFiles")));
        QLineEdit* editor = openEditor(child<QTreeWidget>("lvwImageFiles"));
        editor->selectAll();
        QTest::keyClicks(editor, name);
        QTest::keyClick(editor, end);
        QTest::qWait(20);  // the editor hands its text over after the key
    }
    // The editor open on a view (those of earlier edits linger hidden until deleted).
    static QLineEdit* openEditor(QWidget* view) {
        for (QLineEdit* e : view->findChildren<QLineEdit*>())
            if (e->isVisible()) return e;
        return nullptr;
    }
    std::string discFiles() {
        std::string out;
        runCommand("xorriso -indev '" + drive + "' -find / -type f 2>&1", out);
        return out;
    }

    std::unique_ptr<disc::DiscEngine> engine;
    std::unique_ptr<gui::DiscWindow> window;
};

TEST_F(DiscWindowTest, TheMenusHaveTheirShortcuts) {
    openWindow();
    EXPECT_EQ(child<QAction>("mnuFileClear")->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(child<QAction>("mnuFileExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_EQ(child<QAction>("mnuDeviceEject")->shortcut(), QKeySequence(QStringLiteral("Ctrl+J")));
    EXPECT_EQ(child<QAction>("mnuDeviceCloseTray")->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
}

// Escape, like the close box, leaves the window in place while it writes.
TEST_F(DiscWindowTest, EscapeIsRefusedWhileTheDiscIsWritten) {
    const std::string source = dir / "a.qmk";
    writeHostFile(source, std::string(200000, 'a'));
    openWindow();
    drop({source});
    bool shownAfterEscape = false;
    QTimer::singleShot(0, window.get(), [&] {
        QTest::keyClick(window.get(), Qt::Key_Escape);
        shownAfterEscape = window->isVisible();
    });
    child<QPushButton>("cmdWriteDisc")->click();  // returns when the write has ended
    EXPECT_TRUE(shownAfterEscape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(messages().back(), "Write Complete!");
    QTest::keyClick(window.get(), Qt::Key_Escape);  // idle: it closes
    EXPECT_FALSE(window->isVisible());
}

// Runs `act` once, when the watched widget is disabled.
class WhenDisabled : public QObject {
public:
    WhenDisabled(QWidget* watched, std::function<void()> act) : watched_(watched), act_(std::move(act)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == watched_ && event->type() == QEvent::EnabledChange && !watched_->isEnabled() && act_) {
            auto act = std::move(act_);
            act_ = nullptr;
            act();
        }
        return false;
    }

private:
    QWidget* watched_;
    std::function<void()> act_;
};

TEST_F(DiscWindowTest, EscapeIsRefusedWhileTheDiscIsErased) {
    writeHostFile(drive, std::string(1 << 20, 'd'));
    openWindow();
    bool shownAfterEscape = false;
    std::unique_ptr<WhenDisabled> whenErasing;
    QTimer::singleShot(10, [&] {
        gui::EraseDialog* erase = shown<gui::EraseDialog>();
        if (!erase) return;
        // The erase has started when its buttons go grey (a file drive's
        // erase may end before the window's events run again).
        whenErasing = std::make_unique<WhenDisabled>(erase->findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                                                     [erase, &shownAfterEscape] {
                                                         QTest::keyClick(erase, Qt::Key_Escape);
                                                         shownAfterEscape = erase->isVisible();
                                                     });
        erase->findChild<QPushButton*>(QStringLiteral("cmdErase"))->click();
    });
    child<QAction>("mnuDeviceEraseDisc")->trigger();
    EXPECT_TRUE(shownAfterEscape);
    EXPECT_EQ(messages(), std::vector<std::string>{"Erase Completed!!!"});
}

// F2 and a double-click rename through the same logic as the menu: the
// disc gets the name the list shows.
TEST_F(DiscWindowTest, RenamesInTheListReachTheDisc) {
    for (const char* name : {"a.qmk", "b.qmk", "c.qmk"}) writeHostFile(dir / name, name);
    openWindow();
    drop({dir / "a.qmk", dir / "b.qmk", dir / "c.qmk"});
    auto* files = child<QTreeWidget>("lvwImageFiles");
    ASSERT_EQ(files->topLevelItemCount(), 3);

    files->setCurrentItem(row(QStringLiteral("a.qmk")));
    QTest::keyClick(files, Qt::Key_F2);
    typeName(QStringLiteral("renamed by F2.qmk"));

    // A rename from the menu left with Escape, then F2 on another file:
    // only that file changes.
    files->setCurrentItem(row(QStringLiteral("b.qmk")));
    child<QAction>("mnuFileRenameFile")->trigger();
    typeName(QStringLiteral("never.qmk"), Qt::Key_Escape);
    files->setCurrentItem(row(QStringLiteral("c.qmk")));
    QTest::keyClick(files, Qt::Key_F2);
    typeName(QStringLiteral("c by F2.qmk"));

    QTreeWidgetItem* b = row(QStringLiteral("b.qmk"));
    ASSERT_TRUE(b);
    // A press, then the double-click (as a mouse gives them).
    const QPoint at = files->visualItemRect(b).center();
    QTest::mousePress(files->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(files->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    typeName(QStringLiteral("b by double-click.qmk"));

    // A rename the logic refuses leaves the list as the disc will be.
    files->setCurrentItem(row(QStringLiteral("b by double-click.qmk")));
    QTest::keyClick(files, Qt::Key_F2);
    typeName(QStringLiteral("c by F2.qmk"));
    EXPECT_EQ(messages(), std::vector<std::string>{"File could not be renamed."});

    // F2 on the tree: the root is refused as the menu refuses it.
    auto* tree = child<QTreeWidget>("tvwFolders");
    tree->setCurrentItem(tree->topLevelItem(0));
    QTest::keyClick(tree, Qt::Key_F2);
    EXPECT_EQ(messages().back(), "Root directory can not be renamed.");
    EXPECT_EQ(openEditor(tree), nullptr);

    QStringList shown;
    for (int i = 0; i < files->topLevelItemCount(); ++i) shown << files->topLevelItem(i)->text(0);
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"b by double-click.qmk", "c by F2.qmk", "renamed by F2.qmk"}));

    child<QComboBox>("cboVolumeType")->setCurrentIndex(2);  // ISO9660/Joliet Bridge
    child<QPushButton>("cmdWriteDisc")->click();
    const std::string out = discFiles();
    for (const char* name : {"'/renamed by F2.qmk'", "'/b by double-click.qmk'", "'/c by F2.qmk'"})
        EXPECT_NE(out.find(name), std::string::npos) << name << "\n" << out;
    EXPECT_EQ(out.find("a.qmk"), std::string::npos) << out;
    EXPECT_EQ(out.find("never"), std::string::npos) << out;
}

// Names the installation's code page cannot hold reach the disc: the
// window over a Windows-1252 installation, files dropped from the host.
TEST_F(DiscGuiTest, CyrillicAndJapaneseNamesReachTheDisc) {
    auto& alice = install("alice", "11.0");
    open(alice);
    const std::string cyrillic = dir / "Кириллица.pst";
    std::filesystem::create_directory(dir / "日本語フォルダ");
    const std::string japanese = dir / "日本語フォルダ/メール.pst";
    writeHostFile(cyrillic, std::string(5000, 'c'));
    writeHostFile(japanese, std::string(7000, 'j'));
    whenDiscWindowShows([&](gui::DiscWindow& w) {
        EXPECT_TRUE(dropFiles(w.findChild<QTreeWidget*>(QStringLiteral("tvwFolders"))->viewport(),
                              {cyrillic, dir / "日本語フォルダ"}));
        w.findChild<QCheckBox*>(QStringLiteral("chkAutoVerify"))->setChecked(true);
        w.findChild<QPushButton*>(QStringLiteral("cmdWriteDisc"))->click();  // the default type
        w.findChild<QAction*>(QStringLiteral("mnuFileExit"))->trigger();
    });
    gui::discWindowOpener (*alice.session)(window_.get(), "", "");

    EXPECT_EQ(messages(), std::vector<std::string>{"Write and Verify Complete!"});
    std::string out;
    ASSERT_EQ(runCommand("xorriso -indev '" + drive + "' -find / -type f 2>&1", out), 0) << out;
    EXPECT_NE(out.find("'/Кириллица.pst'"), std::string::npos) << out;
    EXPECT_NE(out.find("'/日本語フォルダ/メール.pst'"), std::string::npos) << out;
    ASSERT_EQ(runCommand("7z l -tudf '" + drive + "'", out), 0) << out;
    EXPECT_NE(out.find("Кириллица.pst"), std::string::npos) << out;
    EXPECT_NE(out.find("日本語フォルダ/メール.pst"), std::string::npos) << out;
    ASSERT_EQ(runCommand("xorriso -osirrox on -indev '" + drive + "' -extract '/日本語フォルダ/メール.pst' '" +
                             (dir / "back.pst") + "' 2>&1",
                         out),
              0)
        << out;
    EXPECT_EQ(contents(dir / "back.pst"), contents(japanese));
}

}  // namespace
}  // namespace qm::test
