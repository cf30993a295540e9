#pragma once
// The scheduler over the user's crontab: each job is one line of it (see
// CronLine.h). Lines the user wrote are left exactly as they are.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Scheduler.h"
#include "platform/posix/CronLine.h"

namespace qm::platform::posix {

class CronScheduler : public Scheduler {
public:
    // The job lines run `programPath` with `--prefix prefixPath --user
    // wineUser` (absolute host paths). `crontabCommand` reaches the crontab:
    // with "-l" it lists it, with "-" it installs its standard input, e.g.
    // {"crontab", "-u", "alice"}.
    CronScheduler(std::string programPath, std::string prefixPath, std::string wineUser,
                  std::vector<std::string> crontabCommand = {"crontab"});
    // The code page the job lines give the program (empty: none).
    void setCodePage(std::string codePage) { program_.codePage = std::move(codePage); }

    // The server name is not used: the job goes into this user's crontab.
    JobAddResult NetScheduleJobAdd(const std::string& serverName, const AtInfo& job) override;
    JobListResult listJobs() override;
    SchedulerResult removeJob(std::uint32_t jobNumber) override;

private:
    // The crontab's lines; none when the user has no crontab yet.
    bool readCrontab(std::vector<std::string>& lines, std::string& reason) const;
    bool writeCrontab(const std::vector<std::string>& lines, std::string& reason) const;
    std::string commandText(const std::string& argument) const;

    CronProgram program_;
    std::vector<std::string> crontab_;
};

}  // namespace qm::platform::posix
