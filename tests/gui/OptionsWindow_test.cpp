// The options window ("Task Scheduler") driven by object name, against a
// scheduler that records its jobs, and once against a real crontab whose
// lines are run the way cron runs them.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "gui/GuiFixture.h"
#include "gui/JobListDialog.h"
#include "gui/OptionsDialog.h"
#include "platform/AtInfo.h"
#include "platform/OpenPlatform.h"
#include "platform/posix/CronScheduler.h"
#include "platform/posix/Process.h"
#include "support/CronRules.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class OptionsWindowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        inst = &install("alice", "11.0", "Outlook", "Work");
        context_ = std::make_unique<gui::GuiContext>(*inst->session, scheduler, kTestProgram,
                                                     QString::fromStdString(dir.path()));
        app::LoadEnvironment(*inst->session);
    }
    std::unique_ptr<gui::OptionsDialog> openOptions() {
        auto w = std::make_unique<gui::OptionsDialog>(*context_, nullptr);
        w->show();
        return w;
    }
    template <typename T>
    static T* in(QWidget& w, const QString& name) {
        T* child = w.findChild<T*>(name);
        EXPECT_TRUE(child) << name.toStdString();
        return child;
    }
    static void check(QWidget& w, const QString& name, bool on) { in<QCheckBox>(w, name)->setChecked(on); }
    static void press(QWidget& w, const QString& name) { in<QPushButton>(w, name)->click(); }

    GuiInstallation* inst = nullptr;
};

TEST_F(OptionsWindowTest, ProfileChoiceAndTheKeptTargetFile) {
    auto w = openOptions();
    auto* pab = in<QCheckBox>(*w, QStringLiteral("backupitem_4"));
    EXPECT_TRUE(pab->isEnabled());
    in<QCheckBox>(*w, QStringLiteral("backupitem_0"))->setChecked(true);
    auto* profiles = in<QComboBox>(*w, QStringLiteral("cbSource"));
    profiles->setCurrentIndex(1);
    emit profiles->activated(1);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(in<QCheckBox>(*w, QStringLiteral("backupitem_%1").arg(i))->isChecked());

    gui::FilePickers::setNextFileName("/backups/nightly.qmk");
    press(*w, QStringLiteral("cmdTargetFile"));
    w.reset();
    w = openOptions();  // closed and opened again: the file stays
    EXPECT_EQ(in<QLineEdit>(*w, QStringLiteral("txtTargetFile"))->text(), QStringLiteral("/backups/nightly.qmk"));
    gui::FilePickers::setNextFileName("");  // cancelled: still the same
    press(*w, QStringLiteral("cmdTargetFile"));
    EXPECT_EQ(in<QLineEdit>(*w, QStringLiteral("txtTargetFile"))->text(), QStringLiteral("/backups/nightly.qmk"));
}

TEST_F(OptionsWindowTest, OutlookOf2007KeepsNoAddressBook) {
    inst = &install("carol", "12.0");
    context_ =
        std::make_unique<gui::GuiContext>(*inst->session, scheduler, kTestProgram, QString::fromStdString(dir.path()));
    app::LoadEnvironment(*inst->session);
    auto w = openOptions();
    auto* pab = in<QCheckBox>(*w, QStringLiteral("backupitem_4"));
    EXPECT_FALSE(pab->isEnabled());
    EXPECT_EQ(pab->toolTip(), QStringLiteral(" MS Outlook 2007 don't support Personal Address Book!"));
}

TEST_F(OptionsWindowTest, ChecksInTheirOrderThenTheJobs) {
    auto w = openOptions();
    auto add = [&] { press(*w, QStringLiteral("Command3")); };
    add();
    gui::FilePickers::setNextFileName("/backups/b.qmk");
    press(*w, QStringLiteral("cmdTargetFile"));
    check(*w, QStringLiteral("backupitem_2"), true);
    check(*w, QStringLiteral("ifprotect"), true);
    emit in<QCheckBox>(*w, QStringLiteral("ifprotect"))->clicked(true);
    add();
    in<QLineEdit>(*w, QStringLiteral("txtPassword"))->setText(QStringLiteral("a"));
    add();
    in<QLineEdit>(*w, QStringLiteral("txtPassword2"))->setText(QStringLiteral("a=b"));
    in<QLineEdit>(*w, QStringLiteral("txtPassword"))->setText(QStringLiteral("a=b"));
    add();
    const auto& shown = messages();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], "Please select at least one item.");
    EXPECT_EQ(shown[1], "Please enter Password!");
    EXPECT_EQ(shown[2], "Incorect Password!");
    EXPECT_NE(shown[3].find("\"=\""), std::string::npos) << shown[3];
    EXPECT_TRUE(scheduler.added.empty());

    in<QLineEdit>(*w, QStringLiteral("txtPassword"))->setText(QStringLiteral("s3cret"));
    in<QLineEdit>(*w, QStringLiteral("txtPassword2"))->setText(QStringLiteral("s3cret"));
    in<QComboBox>(*w, QStringLiteral("cmbStartTime"))->setCurrentText(QStringLiteral("23:30"));
    for (const char* day : {"chkMonday", "chkWednesday", "chkFriday"}) check(*w, QString::fromUtf8(day), true);
    add();
    ASSERT_EQ(scheduler.added.size(), 1u);
    EXPECT_EQ(messages().back(), "Task 1 has been scheduled.");
    EXPECT_EQ(platform::atInfoFor(scheduler.added[0]).JobTime, 84600000u);
    EXPECT_EQ(platform::atInfoFor(scheduler.added[0]).DaysOfWeek, 21);
    EXPECT_EQ(platform::atInfoFor(scheduler.added[0]).DaysOfMonth, 0u);
    EXPECT_EQ(platform::atInfoFor(scheduler.added[0]).Flags, platform::kJobRunPeriodically);
    EXPECT_NE(platform::atInfoFor(scheduler.added[0]).Command.find(" sf=Outlookxm=00100000ps=bf=/backups/b.qmk"),
              std::string::npos)
        << platform::atInfoFor(scheduler.added[0]).Command;
    EXPECT_EQ(scheduler.added[0].password, "s3cret");

    // The next job takes the boxes as they are now: daily minus Saturday,
    // then Tuesday alone; "9:00" by default.
    in<QComboBox>(*w, QStringLiteral("cmbStartTime"))->setCurrentText(QStringLiteral("9:00"));
    check(*w, QStringLiteral("chkDaily"), true);
    emit in<QCheckBox>(*w, QStringLiteral("chkDaily"))->clicked(true);
    check(*w, QStringLiteral("chkSaturday"), false);
    add();
    for (const char* day : {"chkMonday", "chkWednesday", "chkThursday", "chkFriday", "chkSunday"})
        check(*w, QString::fromUtf8(day), false);
    add();
    ASSERT_EQ(scheduler.added.size(), 3u);
    EXPECT_EQ(platform::atInfoFor(scheduler.added[1]).JobTime, 32400000u);
    EXPECT_EQ(platform::atInfoFor(scheduler.added[1]).DaysOfWeek, 95);
    EXPECT_EQ(platform::atInfoFor(scheduler.added[2]).DaysOfWeek, 2);
}

// The real thing: jobs in the crontab of the test user, each line run as
// cron runs it (as that user, with almost no environment), backing up a
// sample installation with a password and a file name cron could mangle.
TEST_F(OptionsWindowTest, JobsInTheCrontabBackUpWhenCronRunsThem) {
    if (!getpwnam("qmcrontest") || geteuid() != 0) GTEST_SKIP() << "needs root and the user qmcrontest";
    using platform::posix::runProcess;
    const int lock = ::open("/tmp/qmcrontest.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    const std::vector<std::string> crontab{"crontab", "-u", "qmcrontest"};
    auto table = [&] { return runProcess({"crontab", "-u", "qmcrontest", "-l"}, "").output; };
    runProcess({"crontab", "-u", "qmcrontest", "-"}, "# the user's own\n0 4 * * * true\n");

    // A prefix and a target folder the test user can read and write.
    const std::string home = dir / "home of q";
    fs::create_directories(home + "/out dir");
    sample::SampleOptions options;
    options.prefix = home + "/prefix";
    options.outlook = "11.0";
    std::string error;
    sample::SampleInstallation made;
    ASSERT_TRUE(sample::buildSampleInstallation(options, made, error)) << error;
    // -P: the prefix's drive links (z: is the host's root) are never followed.
    ASSERT_EQ(system(("chmod a+rx " + dir.path() + " && chown -R -P qmcrontest '" + home + "'").c_str()), 0);

    const std::string program = std::string(QM_BINARY_DIR) + "/quillmark";
    // The jobs' passwords in a state folder of that user's.
    platform::posix::CronScheduler cron(options.prefix, options.user, crontab, home + "/state");
    context_ = std::make_unique<gui::GuiContext>(*inst->session, cron, program, QString::fromStdString(dir.path()));
    auto w = openOptions();
    const std::string target = home + "/out dir/nightly 100%.qmk";
    gui::FilePickers::setNextFileName(target);
    press(*w, QStringLiteral("cmdTargetFile"));
    check(*w, QStringLiteral("backupitem_2"), true);
    check(*w, QStringLiteral("backupitem_3"), true);
    check(*w, QStringLiteral("ifprotect"), true);
    emit in<QCheckBox>(*w, QStringLiteral("ifprotect"))->clicked(true);
    const QString password = QStringLiteral("p%a'ss \"w $HOME");
    in<QLineEdit>(*w, QStringLiteral("txtPassword"))->setText(password);
    in<QLineEdit>(*w, QStringLiteral("txtPassword2"))->setText(password);
    in<QComboBox>(*w, QStringLiteral("cmbStartTime"))->setCurrentText(QStringLiteral("23:30"));
    for (const char* day : {"chkMonday", "chkWednesday", "chkFriday"}) check(*w, QString::fromUtf8(day), true);
    press(*w, QStringLiteral("Command3"));
    for (const char* day : {"chkMonday", "chkWednesday", "chkFriday"}) check(*w, QString::fromUtf8(day), false);
    press(*w, QStringLiteral("Command3"));  // no day: once
    EXPECT_EQ(messages(), (std::vector<std::string>{"Task 1 has been scheduled.", "Task 2 has been scheduled."}));

    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = table().find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(table().substr(start, end - start));
    ASSERT_EQ(lines.size(), 4u) << table();
    EXPECT_EQ(lines[0], "# the user's own");
    EXPECT_EQ(lines[1], "0 4 * * * true");
    EXPECT_EQ(lines[2].rfind("30 23 * * 1,3,5 ", 0), 0u) << lines[2];
    // No day: the next 23:30, whichever day that is, then the line goes.
    EXPECT_EQ(lines[3].rfind("30 23 * * * ", 0), 0u) << lines[3];

    for (const std::string& line : {lines[2], lines[3]}) {
        fs::remove(target);
        const auto run = runProcess({"runuser", "-u", "qmcrontest", "--", "env", "-i", "HOME=" + home,
                                     "LOGNAME=qmcrontest", "SHELL=/bin/sh", "PATH=/usr/bin:/bin", "/bin/sh", "-c",
                                     commandAsCronRunsIt(line)},
                                    "");
        EXPECT_EQ(run.exitStatus, 0) << line << "\n" << run.errors;
        ASSERT_TRUE(fs::exists(target)) << run.errors;
        // As the prefix's own user: the program works in no other user's.
        const auto listed = runProcess({"runuser", "-u", "qmcrontest", "--", "env", "HOME=" + home, program, "--prefix",
                                        options.prefix, "--list", target, "--password", password.toStdString()},
                                       "");
        EXPECT_EQ(listed.exitStatus, 0) << listed.errors;
        EXPECT_NE(listed.output.find("BackupItem=0000110000"), std::string::npos) << listed.output;
    }
    // The one-time job took its own line away; the window removes the other.
    EXPECT_EQ(table().find("quillmark job 2"), std::string::npos) << table();
    gui::JobListDialog jobs(cron, nullptr, nullptr);
    auto* list = jobs.findChild<QTableWidget*>(QStringLiteral("lvwJobs"));
    ASSERT_EQ(list->rowCount(), 1);
    list->selectRow(0);
    jobs.findChild<QPushButton*>(QStringLiteral("cmdRemove"))->click();  // confirmed with Ok
    EXPECT_EQ(table(), "# the user's own\n0 4 * * * true\n");
    EXPECT_EQ(list->rowCount(), 0);
    runProcess({"crontab", "-u", "qmcrontest", "-r"}, "");
    close(lock);
}

}  // namespace
}  // namespace qm::test
