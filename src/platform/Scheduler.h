#pragma once
// The job scheduler that starts the program again for an unattended backup.
// A job is given in our own terms (the program, its argument text, a time
// of day, weekdays or once); each scheduler turns it into its own form: a
// crontab line, or the network job scheduler's AT_INFO record on Windows.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace qm::platform {

// Days of the week; Monday is the lowest bit.
inline constexpr std::uint8_t kMondayBit = 0x01;
inline constexpr std::uint8_t kTuesdayBit = 0x02;
inline constexpr std::uint8_t kWednesdayBit = 0x04;
inline constexpr std::uint8_t kThursdayBit = 0x08;
inline constexpr std::uint8_t kFridayBit = 0x10;
inline constexpr std::uint8_t kSaturdayBit = 0x20;
inline constexpr std::uint8_t kSundayBit = 0x40;
inline constexpr std::uint8_t kAllWeekdayBits = 0x7F;

inline constexpr std::uint32_t kMinutesPerDay = 24u * 60u;

// A job to add.
struct JobSpec {
    // The program's own path as this platform names it (a host path under
    // Wine, a Windows path on Windows) and its argument text (UTF-8).
    std::string program;
    std::string arguments;
    std::uint32_t startMinute = 0;  // minutes after midnight
    std::uint8_t weekdays = 0;      // kMondayBit ... kSundayBit
    // Runs at the next start time and is then gone (the weekdays are not
    // used).
    bool once = false;
    // The password the backup is protected with (empty: none). It is never
    // put on the job's command line, which every local user can read in the
    // process list while the job runs: the scheduler keeps it in a file only
    // the user may read, named on the line (--password-file), and removes
    // that file with the job.
    std::string password = {};
    // Program options the job's command gives before its argument text
    // ({"--keep", "3"}), read back as they were given.
    std::vector<std::string> options = {};
};

// A job of this program as the scheduler holds it. Its argument text may
// carry a password (jobs of earlier versions): it is never shown.
struct ScheduledJob {
    std::uint32_t number = 0;
    std::uint32_t startMinute = 0;
    std::uint8_t weekdays = 0;
    // Days of the month (bit 0 is the 1st): a job made with another tool
    // may name them.
    std::uint32_t monthDays = 0;
    bool once = false;
    std::string arguments;
    // The file the job reads its password from (empty: none; a job made by
    // an earlier version carries it in its argument text).
    std::string passwordFile = {};
    // The program options its command gives before the argument text.
    std::vector<std::string> options = {};
};

// A job started out of its schedule, running beside the program.
class StartedJob {
public:
    virtual ~StartedJob() = default;
    // True once it has ended, with the program's exit status (-1 when it
    // was ended by a signal or its status cannot be told).
    virtual bool ended(int& exitStatus) = 0;
    // Waits for it to end; its exit status as ended() tells it.
    virtual int wait() {
        int status = -1;
        while (!ended(status)) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return status;
    }
};

// Every operation answers false with the reason for the user when it fails.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    virtual bool addJob(const JobSpec& job, std::uint32_t& number, std::string& why) = 0;
    // The jobs this program added that are still there, by number.
    virtual bool listJobs(std::vector<ScheduledJob>& jobs, std::string& why) = 0;
    // Removes one of this program's jobs, with its password file; other jobs
    // and entries are left as they are. A number that is no job of this
    // program is refused.
    virtual bool removeJob(std::uint32_t number, std::string& why) = 0;
    // Starts one of this program's jobs now, the command its schedule would
    // run (a job that runs once stays scheduled). Null with the reason when
    // it cannot be started.
    virtual std::unique_ptr<StartedJob> startJobNow(std::uint32_t /*number*/, std::string& why) {
        why = "this job scheduler cannot start a job out of its schedule";
        return nullptr;
    }
};

}  // namespace qm::platform
