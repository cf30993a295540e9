#pragma once
// The job scheduler that starts the program again for an unattended backup.
// On Windows it is the network job scheduler; elsewhere another scheduler
// stands behind the same contract, so the record, the command line and the
// messages above it do not change.
#include <cstdint>
#include <string>
#include <vector>

namespace qm::platform {

// Days of the week in a job record; Monday is the lowest bit.
inline constexpr std::uint8_t kMondayBit = 0x01;
inline constexpr std::uint8_t kTuesdayBit = 0x02;
inline constexpr std::uint8_t kWednesdayBit = 0x04;
inline constexpr std::uint8_t kThursdayBit = 0x08;
inline constexpr std::uint8_t kFridayBit = 0x10;
inline constexpr std::uint8_t kSaturdayBit = 0x20;
inline constexpr std::uint8_t kSundayBit = 0x40;
inline constexpr std::uint8_t kAllWeekdayBits = 0x7F;

// The job runs on every day of its day masks, not once.
inline constexpr std::uint8_t kJobRunPeriodically = 0x01;

inline constexpr std::uint32_t kMillisecondsPerDay = 24u * 60u * 60u * 1000u;

// Statuses of the scheduler operations; only 0 is success.
inline constexpr std::uint32_t kSchedulerOk = 0;
inline constexpr std::uint32_t kSchedulerFailed = 1;
inline constexpr std::uint32_t kSchedulerJobNotFound = 2;
inline constexpr std::uint32_t kSchedulerInvalidParameter = 87;

// One job as the network job scheduler records it. With both day masks 0
// the job runs once, at the next time of day JobTime.
struct AtInfo {
    std::uint32_t JobTime = 0;      // milliseconds after midnight
    std::uint32_t DaysOfMonth = 0;  // bit 0 is the 1st
    std::uint8_t DaysOfWeek = 0;    // kMondayBit ... kSundayBit
    std::uint8_t Flags = 0;         // kJobRunPeriodically
    // UTF-8: the quoted program path, a blank and the argument text,
    // "\"C:\\Qm\\quillmark.exe\" sf=Outlookxm=10000000ps=bf=D:\\b.qmk".
    std::string Command;
};

struct JobAddResult {
    std::uint32_t status = kSchedulerFailed;
    std::uint32_t jobNumber = 0;
    std::string reason;  // why it failed, for the user; empty on success
};

struct SchedulerResult {
    std::uint32_t status = kSchedulerFailed;
    std::string reason;
};

// A job of this program as the scheduler holds it. The password stays in
// the scheduler: a listing tells only whether there is one.
struct ScheduledJob {
    std::uint32_t jobNumber = 0;
    std::uint32_t JobTime = 0;
    std::uint32_t DaysOfMonth = 0;
    std::uint8_t DaysOfWeek = 0;
    std::uint8_t Flags = 0;
    std::string profile;
    std::string itemDigits;
    std::string targetFile;
    bool hasPassword = false;
};

struct JobListResult {
    std::uint32_t status = kSchedulerFailed;
    std::string reason;
    std::vector<ScheduledJob> jobs;  // by job number
};

class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Adds one job; status 0 and its number when the job was created. The
    // server is the computer's name as found at start-up.
    virtual JobAddResult NetScheduleJobAdd(const std::string& serverName, const AtInfo& job) = 0;
    // The jobs this program added and that are still there.
    virtual JobListResult listJobs() = 0;
    // Removes one of this program's jobs; kSchedulerJobNotFound when there is
    // no such job. Other jobs and entries are left as they are.
    virtual SchedulerResult removeJob(std::uint32_t jobNumber) = 0;
};

}  // namespace qm::platform
