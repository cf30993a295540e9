// The job scheduler (netapi32) and the shell of the Win32 platform.
#include <windows.h>
#include <lm.h>
#include <lmat.h>

#include "platform/AtInfo.h"
#include "platform/win32/NetScheduler.h"
#include "platform/win32/Utf16.h"
#include "platform/win32/Win32Shell.h"
#include "win32/Win32Fixture.h"

namespace qm::test {
namespace {

using namespace qm::platform;

// Wine's service takes a new job into its list when it sees the job's file
// appear, a moment after the add returned: until then the job is unknown.
bool waitUntilListed(Scheduler& scheduler, std::uint32_t number) {
    std::vector<ScheduledJob> listed;
    std::string why;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (attempt) Sleep(100);
        if (!scheduler.listJobs(listed, why)) return false;
        for (const auto& j : listed)
            if (j.number == number) return true;
    }
    return false;
}

TEST_F(Win32Test, AJobIsAddedWithItsExactCommandAndListedAsOurs) {
    const std::string program = "C:\\Program Files\\Quillmark\\quillmark.exe";
    win32::NetScheduler scheduler(program);
    std::uint32_t number = 0;
    std::string why;
    std::vector<ScheduledJob> listed;
    // Without the scheduler's service the call is refused with a reason
    // (Wine would raise an exception inside the call).
    ASSERT_TRUE(stopScheduleService());
    const JobSpec early{program, "sf=Pxm=1ps=bf=C:\\b.qmk", 0, kMondayBit, false};
    EXPECT_FALSE(scheduler.addJob(early, number, why));
    EXPECT_NE(why.find("Schedule"), std::string::npos) << why;
    why.clear();
    EXPECT_FALSE(scheduler.listJobs(listed, why));
    EXPECT_NE(why.find("Schedule"), std::string::npos) << why;

    std::string error;
    ASSERT_TRUE(startScheduleService(error)) << error;
    // A profile name outside ASCII crosses as UTF-16.
    const std::string arguments = "sf=Caf\xc3\xa9xm=10100000ps=secretbf=D:\\Backups\\b.qmk";
    const JobSpec job{program, arguments, 2 * 60 + 30, kMondayBit | kFridayBit, false};
    ASSERT_TRUE(scheduler.addJob(job, number, why)) << why;
    EXPECT_GT(number, 0u);

    // Wine keeps the command only (not the time and the days), so those are
    // checked on the record (see AtInfo.h), the command on the scheduler's
    // answer. Wine's service takes a new job into its list when it sees the
    // job's file appear, a moment after the add returned.
    const ScheduledJob* ours = nullptr;
    for (int attempt = 0; attempt < 50 && !ours; ++attempt) {
        if (attempt) Sleep(100);
        ASSERT_TRUE(scheduler.listJobs(listed, why)) << why;
        for (const auto& j : listed)
            if (j.number == number) ours = &j;
    }
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(ours->arguments, arguments);

    LPBYTE buffer = nullptr;
    ASSERT_EQ(NetScheduleJobGetInfo(nullptr, number, &buffer), 0u);
    const auto* info = reinterpret_cast<const AT_INFO*>(buffer);
    EXPECT_EQ(std::wstring(info->Command),
              L"\"C:\\Program Files\\Quillmark\\quillmark.exe\" sf=Caf\u00e9xm=10100000ps=secretbf=D:\\Backups\\b.qmk");
    NetApiBufferFree(buffer);

    // Another program's job is not ours to list or remove.
    win32::NetScheduler other("C:\\Other\\quillmark.exe");
    ASSERT_TRUE(other.listJobs(listed, why)) << why;
    for (const auto& j : listed) EXPECT_NE(j.number, number);
    EXPECT_FALSE(other.removeJob(number, why));
    EXPECT_TRUE(scheduler.removeJob(number, why)) << why;
    EXPECT_FALSE(scheduler.removeJob(number, why));
}

TEST_F(Win32Test, AJobsPasswordIsKeptInAFileOnlyTheUserOpensAndGoesWithTheJob) {
    const std::string program = "C:\\Program Files\\Quillmark\\quillmark.exe";
    win32::NetScheduler scheduler(program);
    std::string why;
    ASSERT_TRUE(startScheduleService(why)) << why;
    JobSpec job{program, "sf=Pxm=10000000ps=bf=C:\\b.qmk", 60, kMondayBit, false};
    job.password = "s3cret";
    std::uint32_t number = 0;
    ASSERT_TRUE(scheduler.addJob(job, number, why)) << why;
    ASSERT_TRUE(waitUntilListed(scheduler, number));
    LPBYTE buffer = nullptr;
    ASSERT_EQ(NetScheduleJobGetInfo(nullptr, number, &buffer), 0u);
    const std::string command = win32::utf8(reinterpret_cast<const AT_INFO*>(buffer)->Command);
    NetApiBufferFree(buffer);
    EXPECT_EQ(command.find("s3cret"), std::string::npos) << command;
    const std::string start = "\"" + program + "\" --password-file \"";
    ASSERT_EQ(command.compare(0, start.size(), start), 0) << command;
    const std::string file = command.substr(start.size(), command.find('"', start.size()) - start.size());
    EXPECT_NE(file.find("\\Quillmark\\jobs\\job-"), std::string::npos) << file;
    std::string bytes;
    ASSERT_TRUE(platform.files->readFile(file, bytes));
    EXPECT_EQ(bytes, "s3cret\r\n");
    std::string arguments, named;
    ASSERT_TRUE(scheduler.readCommand(command, arguments, named));
    EXPECT_EQ(arguments, job.arguments);
    EXPECT_EQ(named, file);
    ASSERT_TRUE(scheduler.removeJob(number, why)) << why;
    EXPECT_FALSE(platform.files->stat(file).exists);
}

TEST_F(Win32Test, CommandsOfOtherProgramsAreNotReadAsJobs) {
    win32::NetScheduler scheduler("C:\\Q\\quillmark.exe");
    std::string arguments, file;
    EXPECT_TRUE(scheduler.readCommand("\"c:\\q\\QUILLMARK.EXE\" sf=Pxm=1ps=bf=C:\\b.qmk", arguments, file));
    EXPECT_EQ(arguments, "sf=Pxm=1ps=bf=C:\\b.qmk");
    EXPECT_EQ(file, "");
    EXPECT_TRUE(scheduler.readCommand("\"C:\\Q\\quillmark.exe\" --password-file \"C:\\p w\\job-1.password\" sf=P",
                                      arguments, file));
    EXPECT_EQ(arguments, "sf=P");
    EXPECT_EQ(file, "C:\\p w\\job-1.password");
    // A job's options stand between the password file and the argument
    // text, and read back as they were written.
    JobSpec kept{"C:\\Q\\quillmark.exe", "sf=Pxm=1ps=bf=C:\\My Backups\\b.qmk"};
    kept.options = {"--keep", "3", "--keep-monthly", "12"};
    std::vector<std::string> options;
    EXPECT_TRUE(scheduler.readCommand(atInfoFor(kept, "C:\\p w\\job-2.password").Command, arguments, file, &options));
    EXPECT_EQ(arguments, kept.arguments);
    EXPECT_EQ(file, "C:\\p w\\job-2.password");
    EXPECT_EQ(options, kept.options);
    EXPECT_TRUE(scheduler.readCommand(atInfoFor(kept).Command, arguments, file, &options));
    EXPECT_EQ(arguments, kept.arguments);
    EXPECT_EQ(options, kept.options);
    EXPECT_FALSE(scheduler.readCommand("\"C:\\Q\\quillmark.exe\" --keep", arguments, file, &options));
    EXPECT_FALSE(scheduler.readCommand("\"C:\\Q\\quillmark.exe2\" sf=Pxm=1ps=bf=C:\\b.qmk", arguments, file));
    EXPECT_FALSE(scheduler.readCommand("C:\\Q\\quillmark.exe sf=Pxm=1ps=bf=C:\\b.qmk", arguments, file));
}

TEST_F(Win32Test, ShellRefusesWhatIsNotThere) {
    win32::Win32Shell shell;
    EXPECT_FALSE(shell.openFolder(folder() + "\\missing"));
    EXPECT_FALSE(shell.openWebPage("C:\\windows\\system32\\calc.exe"));
    EXPECT_FALSE(shell.openHelp(folder() + "\\help.chm::/index.htm"));
    EXPECT_FALSE(shell.openHelp(folder() + "\\help\\index.html"));
}

}  // namespace
}  // namespace qm::test
