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
    // The job lines run their program with `--prefix prefixPath --user
    // wineUser` (an absolute host path). `crontabCommand` reaches the
    // crontab: with "-l" it lists it, with "-" it installs its standard
    // input, e.g. {"crontab", "-u", "alice"}.
    CronScheduler(std::string prefixPath, std::string wineUser, std::vector<std::string> crontabCommand = {"crontab"});
    // The code page the job lines give the program (empty: none).
    void setCodePage(std::string codePage) { installation_.codePage = std::move(codePage); }

    bool addJob(const JobSpec& job, std::uint32_t& number, std::string& why) override;
    bool listJobs(std::vector<ScheduledJob>& jobs, std::string& why) override;
    bool removeJob(std::uint32_t number, std::string& why) override;

private:
    // The crontab's lines; none when the user has no crontab yet.
    bool readCrontab(std::vector<std::string>& lines, std::string& why) const;
    bool writeCrontab(const std::vector<std::string>& lines, std::string& why) const;
    std::string commandText(const std::string& argument) const;

    CronInstallation installation_;
    std::vector<std::string> crontab_;
};

}  // namespace qm::platform::posix
