#pragma once
// A scheduled backup: the choices of the options window or of --schedule,
// checked in the window's order by one builder, and the job they make.
#include <optional>
#include <string>

#include "app/Session.h"
#include "items/ItemTable.h"
#include "jobs/KeepPolicy.h"
#include "jobs/Refusal.h"
#include "jobs/ScheduleTimes.h"
#include "platform/Scheduler.h"

namespace qm::jobs {

// As a window or a command line gives them: UTF-8.
struct ScheduleChoices {
    std::string profile;           // cbSource
    items::ItemSelection items{};  // backupitem
    std::string targetFile;        // chosen with "Browse..." or given
    bool protect = false;          // ifprotect
    std::string password;          // txtPassword
    std::string password2;         // txtPassword2
    std::string startTime;         // cmbStartTime
    WeekdayChecks weekdays{};      // chkMonday ... chkSunday
    KeepPolicy keep{};             // earlier versions kept beside the file
};

struct ScheduleRequest {
    // Runs the program with the argument text of an automatic backup (its
    // ps= empty: the job's password goes to the scheduler apart); with no
    // weekday checked it runs once.
    platform::JobSpec job;
};

// The password the job carries: none while protection is off, whatever the
// (disabled) boxes still hold.
std::string JobPassword(const ScheduleChoices& choices);

// The checks in the window's order (items, target file, passwords, values
// the argument text cannot carry, profile, start time), then that the
// profile is one of the installation's: a job for a name that is no profile
// here would fail every night. `program` is the program's own path, which
// the job starts. False with the refusal when a check fails.
bool BuildScheduleRequest(const app::Session& session, const ScheduleChoices& choices, const std::string& program,
                          ScheduleRequest& request, Refusal& refusal);

}  // namespace qm::jobs
