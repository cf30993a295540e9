#pragma once
// Scheduled backups: adding one, listing this program's jobs and removing
// one. The password a job carries is never shown.
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/RunHistory.h"
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
    // The versions it keeps: "1", "3, 4 weekly, 6 monthly" (see KeepText).
    std::string keep;
    // Its newest run in the history of runs: when ("2026-12-08 23:30:05";
    // empty when none is recorded), how it ended ("completed", "items
    // failed", "failed") and what failed (empty when nothing did).
    std::string lastRun;
    std::string lastResult;
    std::string lastMessage;
};
JobRow JobRowFor(const platform::ScheduledJob& job);
// The row's last run taken from the history.
void AddLastRun(JobRow& row, const RunHistory& history);
// How a run with that exit status ended, in a word or two.
std::string ResultText(int exitStatus);

// This program's jobs, each with its last run when a history is given;
// false with the text that says why they cannot be listed ("The scheduled
// tasks cannot be listed: ...").
bool ListScheduledBackups(platform::Scheduler& scheduler, std::vector<JobRow>& rows, std::string& why,
                          const RunHistory* history = nullptr);

// False with the text that says why ("Task 3 could not be removed: ...").
bool RemoveScheduledBackup(platform::Scheduler& scheduler, std::uint32_t number, std::string& why);

}  // namespace qm::jobs
