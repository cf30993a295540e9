#pragma once
// The scheduler over the user's crontab: each job is one line of it (see
// CronLine.h). Lines the user wrote are left exactly as they are. Every
// change reads and writes the crontab under a lock in the state folder, so
// that runs changing it at once never lose a job; a job's password is kept
// in a file of mode 0600 in the state folder's "jobs" folder.
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
    // input, e.g. {"crontab", "-u", "alice"}. `stateFolder` holds the lock
    // and the password files (empty: the user's, posix/StateFolder.h). For
    // another user's crontab, which root edits, the files are given to that
    // user, who runs the jobs, and kept by default in ~/.local/state/quillmark
    // of that user's home.
    CronScheduler(std::string prefixPath, std::string wineUser, std::vector<std::string> crontabCommand = {"crontab"},
                  std::string stateFolder = {});
    // The code page the job lines give the program (empty: none).
    void setCodePage(std::string codePage) { installation_.codePage = std::move(codePage); }

    bool addJob(const JobSpec& job, std::uint32_t& number, std::string& why) override;
    bool listJobs(std::vector<ScheduledJob>& jobs, std::string& why) override;
    bool removeJob(std::uint32_t number, std::string& why) override;
    // The job line's command, run by this program's user beside it.
    std::unique_ptr<StartedJob> startJobNow(std::uint32_t number, std::string& why) override;

private:
    // The crontab's lines; none when the user has no crontab yet.
    bool readCrontab(std::vector<std::string>& lines, std::string& why) const;
    bool writeCrontab(const std::vector<std::string>& lines, std::string& why) const;
    std::string commandText(const std::string& argument) const;
    // The file that keeps job `number`'s password.
    std::string passwordFileFor(std::uint32_t number) const;
    // Removes a job's password file when it is one this scheduler made.
    void removePasswordFile(const ScheduledJob& job) const;
    // Removes the password files of jobs no line (commented out or not)
    // names any more. Called under the crontab's lock.
    void removeOrphanPasswordFiles(const std::vector<std::string>& lines) const;

    CronInstallation installation_;
    std::vector<std::string> crontab_;
    std::string stateFolder_;
    // The crontab's user when another than the one running the program
    // (who is root then): the jobs' files are given to that user. -1: none.
    int owner_ = -1;
};

}  // namespace qm::platform::posix
