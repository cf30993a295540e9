#pragma once
// The texts of the requests' checks, spelled as the program has always
// shown them; the windows and the console show the same ones.
namespace qm::jobs::text {

// A backup's checks, in the backup run's order.
inline const char* const kInvalidTarget = "Invalid backup file.";
inline const char* const kSelectOne = "Please select at least one item.";
inline const char* const kEnterPassword = "Please enter Password!";
inline const char* const kPasswordsDiffer = "Incorect Password!";

// A restore's checks.
inline const char* const kNoBackupLoaded = "Invalid backup file.";
// "The backup was made with Outlook 2016, which keeps its profiles where
// Outlook 2010 does not read them: it can be restored into Outlook 2013 or
// later."
inline const char* const kNewerBackupBefore = "The backup was made with ";
inline const char* const kNewerBackupMiddle = ", which keeps its profiles where ";
inline const char* const kNewerBackupAfter = " does not read them: it can be restored into Outlook 2013 or later.";
inline const char* const kThisOutlook = "the Outlook installed here";

// Why a backup wrote nothing.
inline const char* const kNoneBackedUp = "none of the selected items could be backed up";
inline const char* const kNoneBackedUpOfProfile = "none of the selected items of profile ";
inline const char* const kCouldNotBeBackedUp = " could be backed up";
inline const char* const kBackupCancelled = "the backup was cancelled";
inline const char* const kRestoreCancelled = "the restore was cancelled";
inline const char* const kTestCancelled = "the test was cancelled";

// The description the automatic run stores.
inline const char* const kAutomaticBackup = "Automatic Backup";

// A backup file's extension, given to a chosen name that has none; asked
// when the name with it is a file that is there (the dialog asked about the
// name without it).
inline const char* const kBackupExtension = ".qmk";
inline const char* const kReplaceAfter = " already exists.\r\nDo you want to replace it?";

// A scheduled backup's checks, in the options window's order.
inline const char* const kInvalidTargetName = "Invalid backup file name.";
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
inline const char* const kKeepOutOfRange =
    "Please keep the last 1 to 999 backups, and one a week or a month for 0 to 999 weeks or months.";
inline const char* const kInvalidStartTime = "Invalid start time. Please enter a time of day from 0:00 to 23:59.";

// Scheduling, listing and removing jobs.
inline const char* const kTaskScheduledBefore = "Task ";
inline const char* const kTaskScheduledAfter = " has been scheduled.";
inline const char* const kTaskNotScheduled = "The task could not be scheduled: ";
inline const char* const kJobsUnreadable = "The scheduled tasks cannot be listed: ";
inline const char* const kRemoveFailedBefore = "Task ";
inline const char* const kRemoveFailedAfter = " could not be removed: ";
inline const char* const kRunsOnce = "Once";
// Every day of the week, said as the window's "Run daily" says it.
inline const char* const kRunsDaily = "Daily";

// How a scheduled backup last ended, in the list of jobs.
inline const char* const kRunCompleted = "completed";
inline const char* const kRunItemsFailed = "items failed";
inline const char* const kRunFailed = "failed";
inline const char* const kNeverRan = "never";

// Earlier versions of a backup file.
inline const char* const kKeptAs = "the earlier backup was kept as ";
inline const char* const kVersionRemoved = "an earlier version was removed: ";
inline const char* const kNotOurs =
    " has the name of a version of this backup but is no backup this program can read (";
inline const char* const kLeftAsItIs = "): left as it is";
inline const char* const kEarlierKeptBecause = "the earlier backup is kept, whatever the number of versions: ";
inline const char* const kNoneRemovedWhileHeld = "no earlier version was removed, since a data file looks damaged";
inline const char* const kShrankBefore = " holds ";
inline const char* const kShrankMiddle = " bytes, less than half of the ";
inline const char* const kShrankAfter = " bytes the earlier backup holds of it";
inline const char* const kMissingNow = " is not in this backup, and the earlier backup holds it";
inline const char* const kEarlierUnreadable = " is no backup this program can read (";
inline const char* const kEarlierStays = "), so it stays";
inline const char* const kRenameFailed = "the earlier backup could not be renamed to ";
inline const char* const kNewWrittenAs = "; the new backup was written as ";
inline const char* const kRemoveVersionFailed = "an earlier version could not be removed: ";

}  // namespace qm::jobs::text
