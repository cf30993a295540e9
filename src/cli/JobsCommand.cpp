// --jobs: the program's scheduled jobs, one line each; the password a job
// carries is never shown, only whether there is one.
#include <algorithm>

#include "cli/Commands.h"
#include "cli/OpenInstallation.h"
#include "cli/Output.h"
#include "frontend/ExitStatus.h"
#include "jobs/ScheduleJob.h"
#include "jobs/Texts.h"
#include "platform/StateFolder.h"

namespace qm::cli {
namespace {

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text += std::string(width - text.size(), ' ');
    return text + "  ";
}

}  // namespace

int runJobs(const Arguments& args) {
    auto scheduler = openJobScheduler(args);
    if (!scheduler) return frontend::kExitFailed;
    std::vector<jobs::JobRow> rows;
    std::string why;
    if (!jobs::ListScheduledBackups(*scheduler, rows, why)) {
        message(why);
        return frontend::kExitFailed;
    }
    if (rows.empty()) {
        message("no jobs are scheduled");
        return frontend::kExitDone;
    }
    // Each job's last run, from the history the scheduled runs leave in
    // this user's state folder; without one, none is known.
    platform::StateFolder state;
    std::string unread;
    if (platform::openStateFolder(args.wine, state, unread)) {
        const jobs::RunHistory history = jobs::RunHistory::in(*state.files, state.folder);
        for (auto& row : rows)
            if (!row.targetFile.empty()) jobs::AddLastRun(row, history);
    }
    std::size_t daysWidth = 4, profileWidth = 7, resultWidth = 6, keepWidth = 4;
    for (const auto& row : rows) {
        daysWidth = std::max(daysWidth, row.days.size());
        profileWidth = std::max(profileWidth, row.profile.size());
        resultWidth = std::max(resultWidth, row.lastResult.size());
        keepWidth = std::max(keepWidth, row.keep.size());
    }
    std::string table = padded("Job", 4) + padded("Time", 5) + padded("Days", daysWidth) +
                        padded("Profile", profileWidth) + padded("Items", 8) + padded("Password", 8) +
                        padded("Keep", keepWidth) + padded("Last run", 19) + padded("Result", resultWidth) +
                        "Backup file";
    for (const auto& row : rows) {
        table += "\n" + padded(std::to_string(row.jobNumber), 4) + padded(row.startTime, 5) +
                 padded(row.days, daysWidth) + padded(row.profile, profileWidth) + padded(row.itemDigits, 8) +
                 padded(row.passwordProtected ? "yes" : "no", 8) + padded(row.keep, keepWidth) +
                 padded(row.lastRun.empty() ? jobs::text::kNeverRan : row.lastRun, 19) +
                 padded(row.lastResult, resultWidth) + row.targetFile;
        // Why the last run failed, under its job.
        if (!row.lastMessage.empty()) table += "\n    " + row.lastMessage;
    }
    result(table);
    return frontend::kExitDone;
}

}  // namespace qm::cli
