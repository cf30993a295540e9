#pragma once
// Missed scheduled runs made up. cron does not catch up: a machine that was
// off (or asleep) at a job's start time skips that backup. A catch-up runs,
// once, every job of this program whose last start time passed while no run
// of it since wrote its backup; it is called at login and by every scheduled
// run before its own backup.
//
// Which jobs missed their start is a rule over the jobs, the history of
// runs and the time now, here; running them is the scheduler's.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jobs/RunHistory.h"
#include "platform/Scheduler.h"

namespace qm::jobs {

// A start is missed only this long after it passed: jobs started by cron at
// the same minute are each other's business, not a catch-up's.
inline constexpr int kStartGraceMinutes = 5;
// A run that began after the start and has not ended for this long was
// killed (the machine went off under it): its start is missed.
inline constexpr int kRunningHours = 6;

// The newest time at or before `now` at which the job's schedule starts it
// ("YYYY-MM-DD HH:MM:00", local time as the history writes it). cron's
// rule: with both weekdays and days of the month named, either starts it;
// with neither (or a job that runs once), every day. Nothing when `now`
// does not read or no day of the last two months starts it.
std::optional<std::string> LastStartTime(const platform::ScheduledJob& job, const std::string& now);

// The jobs whose last start passed (by kStartGraceMinutes) and was not made
// up: no "scheduled" record of their backup file since that start says the
// backup was written (status 0 or 3), no run of it is still going (begun
// since, within kRunningHours), and the job was not added after that start
// (an "added" record; a job without one was added long ago). A job whose
// argument text names `ownFile` is left out (the run that catches up makes
// up its own start), and so is a second job into the same file. In the
// scheduler's order.
std::vector<platform::ScheduledJob> MissedJobs(const std::vector<platform::ScheduledJob>& jobs,
                                               const std::vector<RunRecord>& records, const std::string& now,
                                               const std::string& ownFile = {});

// The backup file a job's argument text names; empty when it does not read.
std::string JobBackupFile(const platform::ScheduledJob& job);

// How one missed job went.
struct CaughtUpRun {
    std::uint32_t jobNumber = 0;
    std::string file;
    // False: it could not be started (`failure` says why).
    bool started = false;
    int exitStatus = -1;
    std::string failure;
    // A job that runs once, removed after its run as its own line would;
    // `failure` says why when it could not be.
    bool removed = false;
};

// Runs the missed jobs (see MissedJobs) one after the other through the
// scheduler, each its own command, waiting for each to end. A job that
// cannot be listed or started leaves a failed "scheduled" record, so that
// the main window tells of it. False with the reason when the jobs cannot
// be listed.
bool CatchUpMissedRuns(platform::Scheduler& scheduler, RunHistory& history, const std::string& now,
                       const std::string& ownFile, std::vector<CaughtUpRun>& runs, std::string& why);

// The record job `number` leaves when it is added: from then on its starts
// count.
bool RecordAddedJob(RunHistory& history, const platform::JobSpec& job, std::uint32_t number, std::string& why);

}  // namespace qm::jobs
