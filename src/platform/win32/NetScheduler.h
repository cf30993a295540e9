#pragma once
// The network job scheduler of Windows (netapi32): jobs are AT_INFO records
// whose command starts this program again.
#include <string>

#include "platform/Scheduler.h"

namespace qm::platform::win32 {

class NetScheduler final : public Scheduler {
public:
    // `programPath` is the program's full path (ANSI); jobs whose command
    // starts with it in quotation marks are this program's.
    explicit NetScheduler(std::string programPath);

    JobAddResult NetScheduleJobAdd(const std::string& serverName, const AtInfo& job) override;
    JobListResult listJobs() override;
    SchedulerResult removeJob(std::uint32_t jobNumber) override;

    // The settings of a job's command: what follows the quoted program path,
    // read by position as the unattended run reads it. False when the
    // command does not start this program.
    bool readCommand(const std::string& commandUtf8, ScheduledJob& job) const;

private:
    std::string program_;  // UTF-8
};

}  // namespace qm::platform::win32
