// The windows as a user meets them: no backup of nothing over a good one,
// no failure hidden, ".qmk" on a typed name, the installation in view and a
// user it does not have refused, Cancel, the keyboard, the history of runs
// in the job list, and help without a browser.
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>
#include <set>

#include "gui/GuiFixture.h"
#include "gui/JobListDialog.h"
#include "gui/OptionsDialog.h"
#include "gui/PasswordDialog.h"
#include "gui/Windows.h"
#include "jobs/RunHistory.h"
#include "support/MiniPrefix.h"

namespace qm::test {
namespace {

using app::Answer;
namespace fs = std::filesystem;

bool startsWith(const QString& text, const char* start) { return text.startsWith(QString::fromUtf8(start)); }

// The letter after a caption's "&", upper case; 0 when it has none.
QChar mnemonicOf(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toUpper();
    }
    return QChar();
}

// The captions of the buttons and of the labels that lead to a control, in
// a widget and what it holds, shown or not.
std::vector<std::pair<QString, QChar>> mnemonics(QWidget* within) {
    std::vector<std::pair<QString, QChar>> found;
    for (auto* button : within->findChildren<QAbstractButton*>())
        if (!button->text().isEmpty()) found.emplace_back(button->objectName(), mnemonicOf(button->text()));
    for (auto* label : within->findChildren<QLabel*>())
        if (label->buddy()) found.emplace_back(label->buddy()->objectName(), mnemonicOf(label->text()));
    return found;
}

class WindowUseTest : public GuiTest {
protected:
    GuiInstallation& alice() {
        if (!alice_) alice_ = &install("alice", "11.0");
        return *alice_;
    }
    void enlargeDataFile(std::size_t bytes) {
        std::string data(bytes, '\0');
        std::uint32_t x = 7;
        for (auto& c : data) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 24);
        }
        ASSERT_TRUE(alice().platform.files->writeFile(alice().made.profiles[0].dataFiles[0], data));
    }
    QLabel* status() const { return find<QLabel>(QStringLiteral("Label1")); }

private:
    GuiInstallation* alice_ = nullptr;
};

TEST_F(WindowUseTest, ABackupOfNothingLeavesTheGoodOneAndEveryFailedPartIsNamed) {
    auto& inst = alice();
    for (const auto& name : inst.made.signatureFiles)
        inst.platform.files->deleteFile(inst.made.signaturesFolder + "\\" + name);
    open(inst);
    const std::string good = dir / "good.qmk";
    writeHostFile(good, "a good backup");
    gui::FilePickers::setNextFileName(good);
    click(QStringLiteral("cmdTargetFile"));
    backupBox(2)->setChecked(true);
    trigger(QStringLiteral("mnuBackupNow"));
    ASSERT_EQ(messages().size(), 1u);  // no disc offered
    EXPECT_EQ(messages()[0].rfind("The Backup has Failed!", 0), 0u) << messages()[0];
    EXPECT_NE(messages()[0].find("no backup written: none of the selected items of profile Outlook could be backed up"),
              std::string::npos);
    EXPECT_NE(messages()[0].find("failed: the signatures could not be backed up"), std::string::npos);
    EXPECT_EQ(readHostFile(good), "a good backup");

    // The rules have no line of their own in the report: named all the same.
    gui::MessageBoxes::reset();
    gui::MessageBoxes::answerUnaskedWith(Answer::Cancel);
    inst.platform.files->deleteFile(inst.made.outlookFolder + "\\Outlook.RWZ");
    backupBox(2)->setChecked(false);
    backupBox(0)->setChecked(true);
    gui::MessageBoxes::setNextAnswer(Answer::Ok);
    click(QStringLiteral("cmdApply"));
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages()[0],
              "The Backup was Completed!\t\t\t\r\n\r\nBackup Personal Folders\t\tsucceeded!\t\r\n\r\n"
              "failed: the rules could not be backed up");
}

TEST_F(WindowUseTest, ATypedNameIsGivenQmkAndTheFileBoxShowsItsStart) {
    open(alice());
    const std::string typed = dir / "a/rather/long/folder/for/the/backups/of/alice/nightly";
    fs::create_directories(dir / "a/rather/long/folder/for/the/backups/of/alice");
    gui::FilePickers::setNextFileName(typed);
    click(QStringLiteral("cmdTargetFile"));
    auto* box = find<QLineEdit>(QStringLiteral("txtTargetFile"));
    EXPECT_EQ(box->text().toStdString(), typed + ".qmk");
    EXPECT_EQ(box->toolTip().toStdString(), typed + ".qmk");
    EXPECT_EQ(box->cursorPosition(), 0);
    backupBox(2)->setChecked(true);
    gui::MessageBoxes::setNextAnswer(Answer::Ok);
    gui::MessageBoxes::setNextAnswer(Answer::Cancel);
    click(QStringLiteral("cmdApply"));
    EXPECT_TRUE(fs::exists(typed + ".qmk"));

    // The restore's dialog offers every file too.
    EXPECT_EQ(gui::qtFilter("Quillmark File (*.qmk)|*.qmk|All Files (*.*)|*.*"),
              QStringLiteral("Quillmark File (*.qmk);;All Files (*)"));
}

TEST_F(WindowUseTest, TheInstallationIsInViewAndAUserItDoesNotHaveIsRefused) {
    open(alice(), [](gui::GuiContext& context) { context.main.place = {"/home/alice/.wine", "alice"}; });
    EXPECT_EQ(find<QLabel>(QStringLiteral("lblInstallation"))->text(),
              QStringLiteral("Wine prefix /home/alice/.wine, user alice"));
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillmark V2.70"));

    ASSERT_TRUE(MiniPrefix::make(dir / "prefix", "alice"));
    platform::PlatformOptions options;
    options.prefix = dir / "prefix";
    options.userName = "bob";
    options.workRoot = dir / "work";
    frontend::Installation installation;
    std::string message;
    EXPECT_FALSE(gui::openFirstInstallation(options, installation, message));
    EXPECT_EQ(message, "The Outlook installation cannot be opened: the Wine prefix " + (dir / "prefix") +
                           " has no user bob; its users: alice");
    options.userName = "alice";
    EXPECT_TRUE(gui::openFirstInstallation(options, installation, message)) << message;
}

TEST_F(WindowUseTest, AnotherInstallationIsOpenedFromTheFileMenu) {
    std::vector<platform::PlatformOptions> asked;
    open(alice(), [&](gui::GuiContext& context) {
        context.main.place = {"/home/alice/.wine", "alice"};
        context.main.openInstallation = [&](const platform::PlatformOptions& options, std::string&) {
            asked.push_back(options);
            return true;
        };
    });
    ASSERT_TRUE(MiniPrefix::make(dir / "other", "bob"));
    gui::FilePickers::setNextFileName(dir / "other");
    trigger(QStringLiteral("mnuOpenInstallation"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].prefix, dir / "other");
    EXPECT_EQ(asked[0].userName, "bob");
    EXPECT_TRUE(messages().empty());
}

TEST_F(WindowUseTest, CancelStopsTheBackupAndTheEarlierArchiveStays) {
    enlargeDataFile(64u << 20);
    open(alice());
    const std::string file = dir / "b.qmk";
    writeHostFile(file, "the backup before");
    gui::FilePickers::setNextFileName(file);
    click(QStringLiteral("cmdTargetFile"));
    backupBox(0)->setChecked(true);
    bool cancelShown = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* cancel = find<QPushButton>(QStringLiteral("cmdCancel"));
        if (cancel->isVisible() && cancel->isEnabled()) cancelShown = true;
        if (startsWith(status()->text(), "Writing the backup file")) cancel->click();
    });
    timer.start(5);
    click(QStringLiteral("cmdApply"));
    timer.stop();
    EXPECT_TRUE(cancelShown);
    EXPECT_EQ(readHostFile(file), "the backup before");
    EXPECT_EQ(messages(), std::vector<std::string>{"The backup was stopped. No backup file was written; a backup file "
                                                   "that was there before is as it was."});
    EXPECT_FALSE(find<QFrame>(QStringLiteral("picCon3"))->isVisible());
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().string().find("qmpart"), std::string::npos) << entry.path();

    // Escape does the same; and the close box asks first.
    gui::MessageBoxes::reset();
    gui::MessageBoxes::setNextAnswer(Answer::Ok);  // stop it and quit
    QObject::disconnect(&timer, nullptr, nullptr, nullptr);
    bool closed = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!closed && startsWith(status()->text(), "Writing the backup file")) {
            closed = true;
            window_->close();
        }
    });
    timer.start(5);
    click(QStringLiteral("cmdApply"));
    timer.stop();
    EXPECT_TRUE(closed);
    EXPECT_EQ(readHostFile(file), "the backup before");
    EXPECT_EQ(messages(), std::vector<std::string>{"A backup is running. Do you want to stop it and quit?"});
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(WindowUseTest, EscapeStopsTheBackup) {
    enlargeDataFile(64u << 20);
    open(alice());
    const std::string file = dir / "b.qmk";
    writeHostFile(file, "the backup before");
    gui::FilePickers::setNextFileName(file);
    click(QStringLiteral("cmdTargetFile"));
    backupBox(0)->setChecked(true);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (startsWith(status()->text(), "Checking the backup file")) QTest::keyClick(window_.get(), Qt::Key_Escape);
    });
    // At every turn of the event loop: the check of a large, well-compressed
    // entry may take no more than the one turn its start is shown at.
    timer.start(0);
    click(QStringLiteral("cmdApply"));
    timer.stop();
    EXPECT_EQ(readHostFile(file), "the backup before");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("The backup was stopped.", 0), 0u);
}

TEST_F(WindowUseTest, TheKeyboardReachesEveryControlInTheOrderTheyAreLaidOut) {
    open(alice());
    // Tab leaves the description instead of going into it.
    auto* description = find<QPlainTextEdit>(QStringLiteral("txtAttachInfo"));
    description->setFocus();
    QTest::keyClicks(description, QStringLiteral("Before"));
    QTest::keyClick(description, Qt::Key_Tab);
    EXPECT_EQ(description->toPlainText(), QStringLiteral("Before"));
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("ifprotect"));

    // Every button and box has a mnemonic, none taken twice on a tab.
    const auto checkTab = [&](int index) {
        find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(index);
        std::set<QChar> taken{QLatin1Char('F'), QLatin1Char('O'), QLatin1Char('H')};  // the menus
        std::vector<std::pair<QString, QChar>> shown =
            mnemonics(find<QTabWidget>(QStringLiteral("SSTab1"))->widget(index));
        for (const char* button : {"cmdAbout", "cmdApply", "cmdQuit", "cmdCancel"})
            shown.emplace_back(QString::fromUtf8(button),
                               mnemonicOf(find<QPushButton>(QString::fromUtf8(button))->text()));
        for (const auto& [name, letter] : shown) {
            EXPECT_FALSE(letter.isNull()) << name.toStdString();
            EXPECT_TRUE(taken.insert(letter).second)
                << name.toStdString() << " takes " << QString(letter).toStdString();
        }
    };
    checkTab(0);
    checkTab(1);
    find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(0);

    // Tab goes from the profile through the items (those enabled), the file,
    // the description and the protection to the buttons.
    find<QComboBox>(QStringLiteral("cbSource"))->setFocus();
    std::vector<QString> visited;
    for (int i = 0; i < 14; ++i) {
        visited.push_back(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    std::vector<QString> expected{QStringLiteral("cbSource")};
    for (int i = 0; i < 8; ++i)
        if (backupBox(i)->isEnabled()) expected.push_back(QStringLiteral("backupitem_%1").arg(i));
    for (const char* name :
         {"txtTargetFile", "cmdTargetFile", "txtAttachInfo", "ifprotect", "cmdAbout", "cmdApply", "cmdQuit"})
        expected.push_back(QString::fromUtf8(name));
    expected.resize(visited.size());
    EXPECT_EQ(visited, expected);

    // The options window: a mnemonic on every control.
    gui::OptionsDialog options(*context_, window_.get());
    for (const auto& [name, letter] : mnemonics(&options)) EXPECT_FALSE(letter.isNull()) << name.toStdString();
}

TEST_F(WindowUseTest, TheJobListShowsEachJobsLastRunAndRunsOneNow) {
    auto& inst = alice();
    open(inst);
    jobs::RunHistory history = jobs::RunHistory::of(*inst.session);
    std::string why;
    ASSERT_TRUE(history.append({"2026-12-08 23:30:04", "scheduled", "/b.qmk", 1, "no backup written: x"}, why)) << why;
    scheduler.listing = {{1, 23 * 60 + 30, 21, 0, false, "sf=Outlookxm=10100000ps=bf=/b.qmk"}};
    gui::JobListDialog list(scheduler, &history, window_.get());
    auto* table = list.findChild<QTableWidget*>(QStringLiteral("lvwJobs"));
    ASSERT_TRUE(table);
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->horizontalHeaderItem(5)->text(), QStringLiteral("Keep"));
    EXPECT_EQ(table->item(0, 5)->text(), QStringLiteral("1"));
    EXPECT_EQ(table->horizontalHeaderItem(6)->text(), QStringLiteral("Last run"));
    EXPECT_EQ(table->item(0, 6)->text(), QStringLiteral("2026-12-08 23:30:04"));
    EXPECT_EQ(table->item(0, 7)->text(), QStringLiteral("failed"));
    EXPECT_EQ(table->item(0, 7)->toolTip(), QStringLiteral("failed: no backup written: x"));

    // Run Now: the row says so until the job has ended.
    table->selectRow(0);
    list.findChild<QPushButton*>(QStringLiteral("cmdRunNow"))->click();
    EXPECT_EQ(scheduler.startedNow, std::vector<std::uint32_t>{1});
    EXPECT_EQ(table->item(0, 7)->text(), QStringLiteral("running"));
    ASSERT_TRUE(history.append({"2099-01-01 00:00:00", "scheduled", "/b.qmk", 0, ""}, why)) << why;
    scheduler.endedStatus = 0;
    for (int i = 0; i < 200 && messages().empty(); ++i) QTest::qWait(10);
    EXPECT_EQ(messages(), std::vector<std::string>{"Task 1 has run: completed."});
    EXPECT_EQ(table->item(0, 7)->text(), QStringLiteral("completed"));
}

TEST_F(WindowUseTest, TheWindowsRunsAreInTheHistory) {
    auto& inst = alice();
    open(inst);
    const std::string file = dir / "b.qmk";
    gui::FilePickers::setNextFileName(file);
    click(QStringLiteral("cmdTargetFile"));
    backupBox(2)->setChecked(true);
    gui::MessageBoxes::setNextAnswer(Answer::Ok);
    gui::MessageBoxes::setNextAnswer(Answer::Cancel);
    trigger(QStringLiteral("mnuBackupNow"));
    const auto records = jobs::RunHistory::of(*inst.session).records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, "backup");
    EXPECT_EQ(records[0].file, file);
    EXPECT_EQ(records[0].exitStatus, 0);

    // Tested from the File menu, as --list reads it.
    gui::MessageBoxes::reset();
    gui::MessageBoxes::answerUnaskedWith(Answer::Ok);
    gui::FilePickers::setNextFileName(file);
    trigger(QStringLiteral("mnuTestBackup"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("entries read back whole."), std::string::npos) << messages()[0];
}

class NoBrowser : public platform::Shell {
public:
    bool openFolder(const std::string&) override { return false; }
    bool openWebPage(const std::string&) override { return false; }
    bool openHelp(const std::string&) override { return false; }
    bool openDocument(const std::string&) override { return false; }
};

TEST_F(WindowUseTest, HelpWithoutABrowserAndTheTextsAsTheyAreMeantToBeSeen) {
    NoBrowser shell;
    const std::string helpFile = std::string(QM_SOURCE_DIR) + "/data/help/index.html";
    open(alice(), [&](gui::GuiContext& context) {
        context.main.shell = &shell;
        context.main.helpFile = helpFile;
    });
    trigger(QStringLiteral("mnuHelp"));
    auto* help = window_->findChild<QDialog*>(QStringLiteral("frmHelp"));
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    auto* page = help->findChild<QTextBrowser*>(QStringLiteral("txtHelp"));
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("Quillmark")));
    // The pictures (screenshots wider than the window) are fitted to the
    // page: none makes it scroll sideways.
    int pictures = 0;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            const QVariant shown =
                page->document()->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
            ++pictures;
            EXPECT_LE(shown.value<QImage>().width(), page->viewport()->width())
                << format.toImageFormat().name().toStdString();
        }
    EXPECT_GE(pictures, 5);
    trigger(QStringLiteral("mnuHelp"));  // the same window again
    EXPECT_EQ(window_->findChildren<QDialog*>(QStringLiteral("frmHelp")).size(), 1);

    // A report's columns line up in a table; its text keeps its TABs.
    const QString markup = gui::messageMarkup(
        "The Backup was Completed!\t\t\t\r\n"
        "\r\nBackup Personal Folders\t\tsucceeded!\t"
        "\r\nBackup Accounts Settings\tsucceeded!\t");
    EXPECT_EQ(markup.count(QStringLiteral("<tr>")), 2);
    EXPECT_TRUE(markup.contains(QStringLiteral("<td style=\"padding-right: 18px\">Backup Accounts Settings</td>")));
    EXPECT_TRUE(markup.startsWith(QStringLiteral("The Backup was Completed!<br>")));
    // The blank line between the table and what follows it is seen.
    QTextDocument shown;
    shown.setHtml(gui::messageMarkup("Backup Signatures\t\tFail!\t\r\n\r\nfailed: the rules could not be backed up"));
    shown.setTextWidth(400);
    auto where = [&](const QString& text) {
        for (QTextBlock b = shown.begin(); b != shown.end(); b = b.next())
            if (b.text().startsWith(text)) return shown.documentLayout()->blockBoundingRect(b);
        return QRectF();
    };
    const QRectF fail = where(QStringLiteral("Fail!")),
                 failed = where(QStringLiteral("failed: the rules could not be backed up"));
    ASSERT_FALSE(fail.isNull());
    ASSERT_FALSE(failed.isNull());
    EXPECT_GE(failed.top() - fail.bottom(), QFontMetrics(shown.defaultFont()).height() * 0.8);

    // The password window is wide enough for its whole title.
    gui::PasswordDialog password(window_.get());
    password.show();
    QApplication::processEvents();
    EXPECT_GE(password.width(), QFontMetrics(QApplication::font()).horizontalAdvance(password.windowTitle()) + 100);
}

}  // namespace
}  // namespace qm::test
