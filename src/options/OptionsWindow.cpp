#include "options/OptionsWindow.h"

namespace qm::options {
namespace {

constexpr Weekday kWeekdays[kWeekdayCount] = {Weekday::Monday, Weekday::Tuesday,  Weekday::Wednesday,
                                              Weekday::Thursday, Weekday::Friday, Weekday::Saturday,
                                              Weekday::Sunday};

bool sharedOutlookLayout(const std::string& outlookVersion) {
    return outlookVersion == "12.0" || outlookVersion == "14.0";
}

}  // namespace

void LoadOptionsWindow(OptionsSession& s) {
    for (const auto& name : s.context.profileNames) s.view.addSourceProfile(name);
    if (!s.context.profileNames.empty()) s.view.setSourceProfileText(s.context.profileNames.front());
    for (const auto& entry : StartTimeEntries()) s.view.addStartTime(entry);
    s.view.setStartTimeText(kDefaultStartTime);
    s.view.setTargetFileText(s.kept.targetFile);
    s.view.setPasswordBoxesEnabled(s.view.protectChecked());
    // The shown profile's items are offered as a click on it would offer
    // them, so no item without data can be scheduled.
    if (!s.context.profileNames.empty()) SourceProfileChanged(s);
}

void SourceProfileChanged(OptionsSession& s) {
    for (int i = 0; i < kItemCount; ++i) {
        s.view.setBackupItemEnabled(i, true);
        s.view.setBackupItemChecked(i, false);
    }
    if (s.context.itemAvailability) {
        const ItemAvailability available = s.context.itemAvailability(s.view.sourceProfile());
        for (int i = 0; i < kItemCount; ++i)
            if (!available[i]) s.view.setBackupItemEnabled(i, false);
    }
    if (sharedOutlookLayout(s.context.outlookVersion)) {
        s.view.setBackupItemEnabled(kAddressBookItem, false);
        s.view.setBackupItemTooltip(kAddressBookItem, kNoPabTooltip);
    }
}

void BrowseTargetFile(OptionsSession& s) {
    const SaveDialog dialog{kSaveDialogTitle, kSaveDialogFilter, kProposedFileName, true};
    std::optional<std::string> chosen = s.view.chooseTargetFile(dialog);
    if (!chosen || chosen->empty()) return;
    s.kept.targetFile = *chosen;
    s.view.setTargetFileText(*chosen);
}

void ProtectClicked(OptionsSession& s) {
    s.view.setPasswordBoxesEnabled(s.view.protectChecked());
    s.view.setPassword("");
    s.view.setPassword2("");
}

void DailyClicked(OptionsSession& s) {
    const bool daily = s.view.dailyChecked();
    for (Weekday day : kWeekdays) s.view.setWeekdayChecked(day, daily);
}

ScheduleChoices ReadScheduleChoices(const OptionsSession& s) {
    ScheduleChoices choices;
    choices.profile = s.view.sourceProfile();
    for (int i = 0; i < kItemCount; ++i) choices.items[i] = s.view.backupItemChecked(i);
    choices.targetFile = s.kept.targetFile;
    choices.protect = s.view.protectChecked();
    choices.password = s.view.password();
    choices.password2 = s.view.password2();
    choices.startTime = s.view.startTimeText();
    for (int d = 0; d < kWeekdayCount; ++d) choices.weekdays[d] = s.view.weekdayChecked(kWeekdays[d]);
    return choices;
}

bool AddTaskToScheduler(OptionsSession& s) {
    const ScheduleChoices choices = ReadScheduleChoices(s);
    if (auto refusal = CheckScheduleChoices(choices)) {
        s.view.showMessage(refusal->text, refusal->icon, app::Buttons::Ok);
        return false;
    }
    const platform::AtInfo job = JobRecordFor(choices, s.context.programFolder);
    const platform::JobAddResult added = s.scheduler.NetScheduleJobAdd(s.context.computerName, job);
    if (added.status != platform::kSchedulerOk) {
        // Without a word the user would take the missing confirmation for a
        // job that exists.
        s.view.showMessage(kTaskNotScheduled + added.reason, app::Icon::Critical, app::Buttons::Ok);
        return false;
    }
    s.view.showMessage(kTaskScheduledBefore + std::to_string(added.jobNumber) + kTaskScheduledAfter, app::Icon::None,
                       app::Buttons::Ok);
    return true;
}

void OpenScheduler(OptionsSession& s) { s.view.showScheduledJobs(); }

}  // namespace qm::options
