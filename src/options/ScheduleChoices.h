#pragma once
// Everything one "Add Task to Scheduler" reads from the window, its checks
// and the job record it makes.
#include <optional>
#include <string>

#include "app/MessageView.h"
#include "options/JobCommand.h"
#include "options/Schedule.h"
#include "platform/Scheduler.h"

namespace qm::options {

struct ScheduleChoices {
    std::string profile;       // cbSource
    ItemChecks items{};        // backupitem
    std::string targetFile;    // chosen with "Browse..."
    bool protect = false;      // ifprotect
    std::string password;      // txtPassword
    std::string password2;     // txtPassword2
    std::string startTime;     // cmbStartTime
    WeekdayChecks weekdays{};  // chkMonday ... chkSunday
};

struct Refusal {
    std::string text;
    app::Icon icon = app::Icon::Exclamation;
};

// The first check the choices fail, in the window's order (items, target
// file, passwords, values the command line cannot carry, profile, start
// time); nullopt when they make a job.
std::optional<Refusal> CheckScheduleChoices(const ScheduleChoices& choices);

// The password the job carries: none while protection is off, whatever the
// (disabled) boxes still hold.
std::string JobPassword(const ScheduleChoices& choices);

// The job record of choices that passed the checks.
platform::AtInfo JobRecordFor(const ScheduleChoices& choices, const std::string& programFolder);

}  // namespace qm::options
