#pragma once
// The options window's texts, as the user has always seen them.
#include <array>

namespace qm::options {

inline constexpr int kItemCount = 8;

// backupitem captions and tool tips, by item index.
inline constexpr std::array<const char*, kItemCount> kItemCaptions = {
    "Personal Folders (Contacts, Tasks, Calendar, Notes and mail folders)",
    "Accounts Settings",
    "Signatures",
    "Stationeries",
    "Personal Address Book",
    "Options Settings",
    "Templates",
    "Preferences (Customizable settings)",
};
inline constexpr const char* kEveryItem = "Every item";
inline constexpr std::array<const char*, kItemCount> kItemTooltips = {
    "Contacts, Tasks, Calendar, Notes and mail folders",
    "All Accounts Settings.",
    "User defined signatures.",
    "Outlook stationery.",
    "Outlook Personal Address Book.",
    "General settings and interface options.",
    "User templates.",
    "View and Toolbar settings, Send and Receive group settings, control infomation and other data.",
};
inline constexpr int kAddressBookItem = 4;
inline const char* const kNoPabTooltip = " MS Outlook 2007 don't support Personal Address Book!";

// The save dialog of "Browse...".
inline const char* const kSaveDialogTitle = "Save Outlook Data as";
inline const char* const kSaveDialogFilter = "Quillmark File (*.qmk)|*.qmk";
inline const char* const kProposedFileName = "ferrowick";

// "Add Task to Scheduler", in the order of its checks.
inline const char* const kSelectItem = "Please select at least one item.";
inline const char* const kInvalidTargetName = "Invalid backup file name.";
inline const char* const kEnterPassword = "Please enter Password!";
inline const char* const kPasswordsDiffer = "Incorect Password!";
// The unattended run splits its arguments at "=", so such a value would
// shift the ones after it: the wrong profile into the wrong file.
inline const char* const kProfileHasEquals =
    "The profile name contains \"=\", which a scheduled backup cannot carry. Please rename the profile in Outlook.";
inline const char* const kPasswordHasEquals =
    "The password contains \"=\", which a scheduled backup cannot carry. Please choose another password.";
inline const char* const kTargetHasEquals =
    "The backup file name contains \"=\", which a scheduled backup cannot carry. Please choose another file.";
// The unattended run does nothing without a profile.
inline const char* const kNoProfile = "Please select a profile to backup.";
inline const char* const kInvalidStartTime = "Invalid start time. Please enter a time of day from 0:00 to 23:59.";
inline const char* const kTaskScheduledBefore = "Task ";
inline const char* const kTaskScheduledAfter = " has been scheduled.";
inline const char* const kTaskNotScheduled = "The task could not be scheduled: ";

// The list of scheduled jobs.
inline const char* const kJobsUnreadable = "The scheduled tasks cannot be listed: ";
inline const char* const kConfirmRemoveBefore = "Remove task ";
inline const char* const kConfirmRemoveAfter = " from the scheduler?";
inline const char* const kRemoveFailedBefore = "Task ";
inline const char* const kRemoveFailedAfter = " could not be removed: ";
inline const char* const kRunsOnce = "Once";

}  // namespace qm::options
