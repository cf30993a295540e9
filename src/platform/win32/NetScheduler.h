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

    // The job goes to this computer's scheduler (its name as start-up finds
    // it), as an AT_INFO record (see AtInfo.h).
    bool addJob(const JobSpec& job, std::uint32_t& number, std::string& why) override;
    bool listJobs(std::vector<ScheduledJob>& jobs, std::string& why) override;
    bool removeJob(std::uint32_t number, std::string& why) override;
    // The job's command, started by the user running the program, without
    // a window.
    std::unique_ptr<StartedJob> startJobNow(std::uint32_t number, std::string& why) override;

    // The argument text of a job's command: what follows the quoted program
    // path (and the password file it names, if any, and its program options,
    // "--keep 3", into `options` when given). False when the command does
    // not start this program.
    bool readCommand(const std::string& commandUtf8, std::string& arguments, std::string& passwordFile,
                     std::vector<std::string>* options = nullptr) const;

private:
    // A new file for a job's password in the user's own folder
    // %LOCALAPPDATA%\Quillmark\jobs (UTF-8); false with the reason.
    bool keepPassword(const std::string& password, std::string& file, std::string& why) const;

    std::string program_;  // UTF-8
};

}  // namespace qm::platform::win32
