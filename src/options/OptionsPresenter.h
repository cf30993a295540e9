#pragma once
// The options window's handlers (Frmoption, "Task Scheduler"): the settings
// of an unattended backup and the scheduler job that carries them.
#include <functional>
#include <string>

#include "app/Session.h"
#include "items/ItemTable.h"
#include "jobs/ScheduleRequest.h"
#include "options/OptionsView.h"
#include "platform/Scheduler.h"

namespace qm::options {

// What the window takes from the rest of the program.
struct OptionsContext {
    // What a job starts: the program's own path.
    std::string program;
    // Which items have data for a profile (its name as the window shows
    // it); unset: the main window's rules, which also recompute the folders
    // and keys the two windows share.
    std::function<items::ItemAvailability(const std::string& profile)> itemAvailability;
};

// What outlives the window for the rest of the program's run.
struct KeptOptions {
    std::string targetFile;  // last chosen with "Browse..."
    jobs::KeepPolicy keep{};  // of the last job added
};

class OptionsPresenter {
public:
    OptionsPresenter(app::Session& session, OptionsView& view, OptionsContext context, KeptOptions& kept,
                     platform::Scheduler& scheduler)
        : s_(session), view_(view), context_(std::move(context)), kept_(kept), scheduler_(scheduler) {}

    // Opening: the profiles (the first one shown, its items made available),
    // the start times ("9:00" shown), the kept target file.
    void LoadOptionsWindow();
    // cbSource click.
    void SourceProfileChanged();
    // "Browse..." (cmdTargetFile); a cancelled dialog changes nothing.
    void BrowseTargetFile();
    // ifprotect click.
    void ProtectClicked();
    // "Run daily" (chkDaily) click.
    void DailyClicked();
    // The window's choices as they are now.
    jobs::ScheduleChoices ReadScheduleChoices() const;
    // "Add Task to Scheduler" (Command3): true when a job was added.
    bool AddTaskToScheduler();
    // "Open Scheduler" (Command1).
    void OpenScheduler();

private:
    app::Session& s_;
    OptionsView& view_;
    OptionsContext context_;
    KeptOptions& kept_;
    platform::Scheduler& scheduler_;
};

}  // namespace qm::options
