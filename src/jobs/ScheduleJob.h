#pragma once
// Scheduled backups: adding one, listing this program's jobs and removing
// one. The password a job carries is never shown.
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/ScheduleRequest.h"
#include "platform/Scheduler.h"

namespace qm::jobs {

// Adds the job; its number, or false with the text that says why
// ("The task could not be scheduled: ...").
bool AddScheduledBackup(platform::Scheduler& scheduler, const ScheduleRequest& request, std::uint32_t& number,
                        std::string& why);
// "Task 3 has been scheduled."
std::string ScheduledText(std::uint32_t number);

// One job as the list of scheduled backups shows it.
struct JobRow {
    std::uint32_t jobNumber = 0;
    std::string startTime;  // "9:00"
    std::string days;       // "M,W,F"; "Once" for a job that runs once
    std::string profile;
    std::string itemDigits;  // "10100000"
    std::string items;       // "Personal Folders, Signatures"; "Every item"
    std::string targetFile;
    bool passwordProtected = false;
};
JobRow JobRowFor(const platform::ScheduledJob& job);

// This program's jobs; false with the text that says why they cannot be
// listed ("The scheduled tasks cannot be listed: ...").
bool ListScheduledBackups(platform::Scheduler& scheduler, std::vector<JobRow>& rows, std::string& why);

// False with the text that says why ("Task 3 could not be removed: ...").
bool RemoveScheduledBackup(platform::Scheduler& scheduler, std::uint32_t number, std::string& why);

}  // namespace qm::jobs
