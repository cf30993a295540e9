#include "options/OptionsPresenter.h"

#include <algorithm>

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "app/ViewText.h"
#include "jobs/BackupRequest.h"
#include "jobs/CatchUp.h"
#include "jobs/ScheduleJob.h"
#include "jobs/Texts.h"
#include "options/OptionsTexts.h"

namespace qm::options {
namespace {

constexpr jobs::Weekday kWeekdays[jobs::kWeekdayCount] = {
    jobs::Weekday::Monday, jobs::Weekday::Tuesday,  jobs::Weekday::Wednesday, jobs::Weekday::Thursday,
    jobs::Weekday::Friday, jobs::Weekday::Saturday, jobs::Weekday::Sunday};
constexpr int kItems = static_cast<int>(items::kItemCount);

}  // namespace

void OptionsPresenter::LoadOptionsWindow() {
    const app::ViewText ui(s_.codePage);
    for (const auto& name : s_.state.ProfileNames) view_.addSourceProfile(ui.shown(name));
    if (!s_.state.ProfileNames.empty()) view_.setSourceProfileText(ui.shown(s_.state.ProfileNames.front()));
    for (const auto& entry : jobs::StartTimeEntries()) view_.addStartTime(entry);
    view_.setStartTimeText(jobs::kDefaultStartTime);
    view_.setTargetFileText(kept_.targetFile);
    view_.setKeepRange(KeepBox::Last, 1, static_cast<int>(jobs::kMaxKeep));
    view_.setKeepRange(KeepBox::Weekly, 0, static_cast<int>(jobs::kMaxKeep));
    view_.setKeepRange(KeepBox::Monthly, 0, static_cast<int>(jobs::kMaxKeep));
    view_.setKeepCount(KeepBox::Last, static_cast<int>(kept_.keep.last));
    view_.setKeepCount(KeepBox::Weekly, static_cast<int>(kept_.keep.weekly));
    view_.setKeepCount(KeepBox::Monthly, static_cast<int>(kept_.keep.monthly));
    view_.setPasswordBoxesEnabled(view_.protectChecked());
    // The shown profile's items are offered as a click on it would offer
    // them, so no item without data can be scheduled.
    if (!s_.state.ProfileNames.empty()) SourceProfileChanged();
}

void OptionsPresenter::SourceProfileChanged() {
    for (int i = 0; i < kItems; ++i) {
        view_.setBackupItemEnabled(i, true);
        view_.setBackupItemChecked(i, false);
    }
    const std::string profile = view_.sourceProfile();
    const items::ItemAvailability available =
        context_.itemAvailability ? context_.itemAvailability(profile)
                                  : items::availableItems(s_, app::ViewText(s_.codePage).typed(profile));
    for (int i = 0; i < kItems; ++i)
        if (!available.enabled[static_cast<std::size_t>(i)]) view_.setBackupItemEnabled(i, false);
    if (app::NoAddressBook(s_.state.OutlookVersion)) {
        view_.setBackupItemEnabled(static_cast<int>(items::kAddressBookItem), false);
        // The window's own words name Outlook 2007, which would be wrong of
        // a later one; those get the main window's.
        view_.setBackupItemTooltip(
            static_cast<int>(items::kAddressBookItem),
            app::OutlookSharedLayout(s_.state.OutlookVersion) ? kNoPabTooltip : items::kNoPabTooltip);
    }
}

void OptionsPresenter::BrowseTargetFile() {
    const SaveDialog dialog{kSaveDialogTitle, kSaveDialogFilter,
                            std::string(kProposedFileName) + jobs::text::kBackupExtension, true};
    std::optional<std::string> chosen = view_.chooseTargetFile(dialog);
    if (!chosen || chosen->empty()) return;
    // The name the backups will have: with ".qmk", which the dialog did not
    // ask about.
    const std::string named = jobs::WithBackupExtension(*chosen);
    const app::ViewText ui(s_.codePage);
    if (named != *chosen && s_.files.stat(s_.files.fromUserPath(ui.typed(named))).exists &&
        view_.showMessage(named + jobs::text::kReplaceAfter, app::Icon::Exclamation, app::Buttons::OkCancel) !=
            app::Answer::Ok)
        return;
    kept_.targetFile = named;
    view_.setTargetFileText(named);
}

void OptionsPresenter::ProtectClicked() {
    view_.setPasswordBoxesEnabled(view_.protectChecked());
    view_.setPassword("");
    view_.setPassword2("");
}

void OptionsPresenter::DailyClicked() {
    const bool daily = view_.dailyChecked();
    for (jobs::Weekday day : kWeekdays) view_.setWeekdayChecked(day, daily);
}

jobs::ScheduleChoices OptionsPresenter::ReadScheduleChoices() const {
    jobs::ScheduleChoices choices;
    choices.profile = view_.sourceProfile();
    for (int i = 0; i < kItems; ++i) choices.items[static_cast<std::size_t>(i)] = view_.backupItemChecked(i);
    choices.targetFile = kept_.targetFile;
    choices.protect = view_.protectChecked();
    choices.password = view_.password();
    choices.password2 = view_.password2();
    choices.startTime = view_.startTimeText();
    for (int d = 0; d < jobs::kWeekdayCount; ++d)
        choices.weekdays[static_cast<std::size_t>(d)] = view_.weekdayChecked(kWeekdays[d]);
    // A box emptied or typed out of range reads as a count the job refuses.
    auto count = [this](KeepBox box) { return static_cast<unsigned>(std::max(0, view_.keepCount(box))); };
    choices.keep = {count(KeepBox::Last), count(KeepBox::Weekly), count(KeepBox::Monthly)};
    return choices;
}

bool OptionsPresenter::AddTaskToScheduler() {
    jobs::ScheduleRequest request;
    jobs::Refusal refusal;
    const jobs::ScheduleChoices choices = ReadScheduleChoices();
    if (!jobs::BuildScheduleRequest(s_, choices, context_.program, request, refusal)) {
        view_.showMessage(refusal.text, refusal.icon, app::Buttons::Ok);
        return false;
    }
    std::uint32_t number = 0;
    std::string why;
    if (!jobs::AddScheduledBackup(scheduler_, request, number, why)) {
        view_.showMessage(why, app::Icon::Critical, app::Buttons::Ok);
        return false;
    }
    kept_.keep = choices.keep;
    // Its starts count from now: a catch-up does not take the start before
    // it for a missed one. (A history that cannot be written is told by
    // the runs.)
    jobs::RunHistory history = jobs::RunHistory::of(s_);
    jobs::RecordAddedJob(history, request.job, number, why);
    view_.showMessage(jobs::ScheduledText(number), app::Icon::None, app::Buttons::Ok);
    return true;
}

void OptionsPresenter::OpenScheduler() { view_.showScheduledJobs(); }

}  // namespace qm::options
