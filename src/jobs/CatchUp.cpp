#include "jobs/CatchUp.h"

#include <chrono>
#include <cstdio>
#include <set>

#include "jobs/AutomaticArguments.h"
#include "platform/StateFolder.h"

namespace qm::jobs {
namespace {

using std::chrono::days;
using std::chrono::minutes;
using std::chrono::seconds;
using std::chrono::sys_days;
using std::chrono::sys_seconds;

// The history's local times, counted as if they were UTC: only their order
// and their distances matter here.
std::optional<sys_seconds> readTime(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char end = 0;
    if (text.size() != 19 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &end) != 6)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(y), std::chrono::month(static_cast<unsigned>(mo)),
                                           std::chrono::day(static_cast<unsigned>(d))};
    if (!date.ok() || h > 23 || mi > 59 || s > 60 || h < 0 || mi < 0 || s < 0) return std::nullopt;
    return sys_days(date) + std::chrono::hours(h) + minutes(mi) + seconds(s);
}

std::string timeText(sys_seconds t) {
    const sys_days day = std::chrono::floor<days>(t);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss clock(t - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

bool startsOn(const platform::ScheduledJob& job, sys_days day) {
    const unsigned sundayFirst = std::chrono::weekday(day).c_encoding();  // 0 Sunday
    const std::uint32_t weekdayBit = sundayFirst == 0 ? platform::kSundayBit : 1u << (sundayFirst - 1);
    const std::uint32_t monthDayBit = 1u << (static_cast<unsigned>(std::chrono::year_month_day(day).day()) - 1);
    const bool anyWeekday = job.once || job.weekdays == 0;
    const bool anyMonthDay = job.once || job.monthDays == 0;
    if (anyWeekday && anyMonthDay) return true;
    if (anyWeekday) return (job.monthDays & monthDayBit) != 0;
    if (anyMonthDay) return (job.weekdays & weekdayBit) != 0;
    return (job.weekdays & weekdayBit) != 0 || (job.monthDays & monthDayBit) != 0;
}

bool wroteBackup(const RunRecord& r) { return r.kind == kScheduledRecord && (r.exitStatus == 0 || r.exitStatus == 3); }

}  // namespace

std::optional<std::string> LastStartTime(const platform::ScheduledJob& job, const std::string& now) {
    const auto at = readTime(now);
    if (!at || job.startMinute >= platform::kMinutesPerDay) return std::nullopt;
    const sys_days today = std::chrono::floor<days>(*at);
    for (int back = 0; back <= 62; ++back) {
        const sys_days day = today - days(back);
        const sys_seconds start = day + minutes(job.startMinute);
        if (start <= *at && startsOn(job, day)) return timeText(start);
    }
    return std::nullopt;
}

std::string JobBackupFile(const platform::ScheduledJob& job) {
    AutomaticSettings settings;
    std::string unread;
    return ParseCommandLine(job.arguments, settings, unread) ? settings.archivePath : std::string();
}

std::vector<platform::ScheduledJob> MissedJobs(const std::vector<platform::ScheduledJob>& jobs,
                                               const std::vector<RunRecord>& records, const std::string& now,
                                               const std::string& ownFile) {
    std::vector<platform::ScheduledJob> missed;
    const auto at = readTime(now);
    if (!at) return missed;
    const std::string graceEnd = timeText(*at - minutes(kStartGraceMinutes));
    const std::string stillRunning = timeText(*at - std::chrono::hours(kRunningHours));
    std::set<std::string> files;
    for (const auto& job : jobs) {
        const std::string file = JobBackupFile(job);
        if (file.empty() || file == ownFile || files.count(file)) continue;
        const auto start = LastStartTime(job, now);
        if (!start || *start > graceEnd) continue;
        bool madeUp = false;
        const RunRecord* newest = nullptr;  // of the runs begun or ended since the start
        for (const auto& r : records) {
            if (r.file != file || r.time < *start) continue;
            if (r.kind == kAddedRecord || wroteBackup(r)) madeUp = true;
            if ((r.kind == kStartedRecord || r.kind == kScheduledRecord) && (!newest || r.time >= newest->time))
                newest = &r;
        }
        if (madeUp) continue;
        if (newest && newest->kind == kStartedRecord && newest->time > stillRunning) continue;
        files.insert(file);
        missed.push_back(job);
    }
    return missed;
}

bool CatchUpMissedRuns(platform::Scheduler& scheduler, RunHistory& history, const std::string& now,
                       const std::string& ownFile, std::vector<CaughtUpRun>& runs, std::string& why) {
    runs.clear();
    std::vector<platform::ScheduledJob> jobs;
    if (!scheduler.listJobs(jobs, why)) {
        why = "the scheduled jobs cannot be listed: " + why;
        return false;
    }
    for (const auto& job : MissedJobs(jobs, history.records(), now, ownFile)) {
        CaughtUpRun run;
        run.jobNumber = job.number;
        run.file = JobBackupFile(job);
        if (auto started = scheduler.startJobNow(job.number, run.failure)) {
            run.started = true;
            run.exitStatus = started->wait();
        } else {
            // Told as a failed scheduled run: the window says so when it
            // opens, and the next catch-up tries again.
            run.failure = "the missed run of scheduled job " + std::to_string(job.number) +
                          " could not be started: " + run.failure;
            std::string unrecorded;
            history.append({platform::localTimeStamp(), kScheduledRecord, run.file, 1, run.failure}, unrecorded);
        }
        // Its own line removes it after its run; a made-up run that wrote no
        // backup leaves it for the next catch-up to try again.
        if (run.started && job.once && (run.exitStatus == 0 || run.exitStatus == 3)) {
            std::string reason;
            run.removed = scheduler.removeJob(job.number, reason);
            if (!run.removed)
                run.failure = "scheduled job " + std::to_string(job.number) + " (once) could not be removed: " + reason;
        }
        runs.push_back(run);
    }
    return true;
}

bool RecordAddedJob(RunHistory& history, const platform::JobSpec& job, std::uint32_t number, std::string& why) {
    AutomaticSettings settings;
    if (!ParseCommandLine(job.arguments, settings, why)) return false;
    return history.append({platform::localTimeStamp(), kAddedRecord, settings.archivePath, 0, AddedJobMessage(number)},
                          why);
}

}  // namespace qm::jobs
