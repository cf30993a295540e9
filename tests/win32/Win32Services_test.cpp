// The job scheduler (netapi32) and the shell of the Win32 platform.
#include <windows.h>
#include <lm.h>
#include <lmat.h>

#include "platform/win32/NetScheduler.h"
#include "platform/win32/Win32Shell.h"
#include "win32/Win32Fixture.h"

namespace qm::test {
namespace {

using namespace qm::platform;

TEST_F(Win32Test, AJobIsAddedWithItsExactCommandAndListedAsOurs) {
    const std::string program = "C:\\Program Files\\Quillmark\\quillmark.exe";
    win32::NetScheduler scheduler(program);
    // Without the scheduler's service the call is refused with a reason
    // (Wine would raise an exception inside the call).
    ASSERT_TRUE(stopScheduleService());
    AtInfo early;
    early.Command = "\"" + program + "\" sf=Pxm=1ps=bf=C:\\b.qmk";
    const JobAddResult refused = scheduler.NetScheduleJobAdd("", early);
    EXPECT_EQ(refused.status, 1062u);  // ERROR_SERVICE_NOT_ACTIVE
    EXPECT_NE(refused.reason.find("Schedule"), std::string::npos) << refused.reason;
    EXPECT_EQ(scheduler.listJobs().status, 1062u);

    std::string error;
    ASSERT_TRUE(startScheduleService(error)) << error;
    AtInfo job;
    job.JobTime = (2 * 60 + 30) * 60 * 1000;  // 02:30
    job.DaysOfWeek = kMondayBit | kFridayBit;
    job.Flags = kJobRunPeriodically;
    // A profile name outside ASCII crosses as UTF-16.
    job.Command = "\"" + program + "\" sf=Caf\xc3\xa9xm=10100000ps=secretbf=D:\\Backups\\b.qmk";
    std::string computer;
    ASSERT_TRUE(platform.system->GetComputerNameA(computer));
    const JobAddResult added = scheduler.NetScheduleJobAdd(computer, job);
    ASSERT_EQ(added.status, 0u) << added.reason;
    EXPECT_GT(added.jobNumber, 0u);
    EXPECT_EQ(added.reason, "");

    // Wine keeps the command only (not the time and the days), so those are
    // checked on the record above, the command on the scheduler's answer.
    // Wine's service takes a new job into its list when it sees the job's
    // file appear, a moment after the add returned.
    JobListResult listed;
    const ScheduledJob* ours = nullptr;
    for (int attempt = 0; attempt < 50 && !ours; ++attempt) {
        if (attempt) Sleep(100);
        listed = scheduler.listJobs();
        ASSERT_EQ(listed.status, 0u) << listed.reason;
        for (const auto& j : listed.jobs)
            if (j.jobNumber == added.jobNumber) ours = &j;
    }
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(ours->profile, "Caf\xc3\xa9");
    EXPECT_EQ(ours->itemDigits, "10100000");
    EXPECT_TRUE(ours->hasPassword);
    EXPECT_EQ(ours->targetFile, "D:\\Backups\\b.qmk");

    LPBYTE buffer = nullptr;
    ASSERT_EQ(NetScheduleJobGetInfo(nullptr, added.jobNumber, &buffer), 0u);
    const auto* info = reinterpret_cast<const AT_INFO*>(buffer);
    EXPECT_EQ(std::wstring(info->Command),
              L"\"C:\\Program Files\\Quillmark\\quillmark.exe\" sf=Caf\u00e9xm=10100000ps=secretbf=D:\\Backups\\b.qmk");
    NetApiBufferFree(buffer);

    // Another program's job is not ours to list or remove.
    win32::NetScheduler other("C:\\Other\\quillmark.exe");
    for (const auto& j : other.listJobs().jobs) EXPECT_NE(j.jobNumber, added.jobNumber);
    EXPECT_EQ(other.removeJob(added.jobNumber).status, kSchedulerJobNotFound);
    EXPECT_EQ(scheduler.removeJob(added.jobNumber).status, 0u);
    EXPECT_EQ(scheduler.removeJob(added.jobNumber).status, kSchedulerJobNotFound);
}

TEST_F(Win32Test, CommandsOfOtherProgramsAreNotReadAsJobs) {
    win32::NetScheduler scheduler("C:\\Q\\quillmark.exe");
    ScheduledJob job;
    EXPECT_TRUE(scheduler.readCommand("\"c:\\q\\QUILLMARK.EXE\" sf=Pxm=1ps=bf=C:\\b.qmk", job));
    EXPECT_EQ(job.profile, "P");
    EXPECT_FALSE(job.hasPassword);
    EXPECT_FALSE(scheduler.readCommand("\"C:\\Q\\quillmark.exe2\" sf=Pxm=1ps=bf=C:\\b.qmk", job));
    EXPECT_FALSE(scheduler.readCommand("C:\\Q\\quillmark.exe sf=Pxm=1ps=bf=C:\\b.qmk", job));
    EXPECT_FALSE(scheduler.readCommand("\"C:\\Q\\quillmark.exe\" sf=P", job));
}

TEST_F(Win32Test, ShellRefusesWhatIsNotThere) {
    win32::Win32Shell shell;
    EXPECT_FALSE(shell.openFolder(folder() + "\\missing"));
    EXPECT_FALSE(shell.openWebPage("C:\\windows\\system32\\calc.exe"));
    EXPECT_FALSE(shell.openHelp(folder() + "\\help.chm::/index.htm"));
}

}  // namespace
}  // namespace qm::test
