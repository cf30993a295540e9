#pragma once
// The options window's handlers: the settings of an unattended backup and
// the scheduler job that carries them.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "options/OptionsView.h"
#include "options/ScheduleChoices.h"
#include "platform/Scheduler.h"

namespace qm::options {

// Which backup items have data for a profile, by index.
using ItemAvailability = std::array<bool, kItemCount>;

// What the window takes from the rest of the program.
struct OptionsContext {
    std::vector<std::string> profileNames;  // in the main window's order
    std::string outlookVersion;             // "12.0", "14.0", ...
    std::string programFolder;              // Windows path: the job starts the program from it
    std::string computerName;               // the scheduler's server
    // The main window's availability rules for a profile; they also
    // recompute the folders and keys the two windows share.
    std::function<ItemAvailability(const std::string& profile)> itemAvailability;
};

// What outlives the window for the rest of the program's run.
struct KeptOptions {
    std::string targetFile;  // last chosen with "Browse..."
};

struct OptionsSession {
    OptionsView& view;
    const OptionsContext& context;
    KeptOptions& kept;
    platform::Scheduler& scheduler;
};

// Opening: the profiles (the first one shown, its items made available),
// the start times ("9:00" shown), the kept target file.
void LoadOptionsWindow(OptionsSession& session);
// cbSource click.
void SourceProfileChanged(OptionsSession& session);
// "Browse..." (cmdTargetFile); a cancelled dialog changes nothing.
void BrowseTargetFile(OptionsSession& session);
// ifprotect click.
void ProtectClicked(OptionsSession& session);
// "Run daily" (chkDaily) click.
void DailyClicked(OptionsSession& session);
// The window's choices as they are now.
ScheduleChoices ReadScheduleChoices(const OptionsSession& session);
// "Add Task to Scheduler" (Command3): true when a job was added.
bool AddTaskToScheduler(OptionsSession& session);
// "Open Scheduler" (Command1).
void OpenScheduler(OptionsSession& session);

}  // namespace qm::options
