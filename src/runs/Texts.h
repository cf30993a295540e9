#pragma once
// The texts only the main window shows, spelled as the program has always
// shown them (and, for what it did not have, in the same voice).
namespace qm::runs::text {

inline const char* const kBackupNow = "Backup Now";
inline const char* const kRestoreNow = "Restore Now";

// The save dialog of the backup target.
inline const char* const kSaveTitle = "Save Outlook Data as";
inline const char* const kQmkFilter = "Quillmark File (*.qmk)|*.qmk";

// After a backup.
inline const char* const kDiscOffer = "Do you need to backup your data to CD-R/RW or DVD?";

// Opening a backup file; a file saved under another name is found too.
inline const char* const kOpenTitle = "Restore Date from a Backup file";
inline const char* const kOpenFilter = "Quillmark File (*.qmk)|*.qmk|All Files (*.*)|*.*";

// Testing a backup file.
inline const char* const kTestTitle = "Test a Backup File";
inline const char* const kTestCancelled = "The test was stopped before every entry was read.";

// A run stopped by the user.
inline const char* const kStopping = "Stopping...";
inline const char* const kBackupCancelled =
    "The backup was stopped. No backup file was written; a backup file that was there before is as it was.";
inline const char* const kRestoreCancelled =
    "The restore was stopped. Nothing was changed: the profile and its files are as they were.";
inline const char* const kStopBackupQuestion = "A backup is running. Do you want to stop it and quit?";
inline const char* const kStopRestoreQuestion = "A restore is running. Do you want to stop it and quit?";
inline const char* const kStopTestQuestion = "A backup file is being tested. Do you want to stop and quit?";

// The installation in view, and another one opened.
inline const char* const kInstallationPrefix = "Wine prefix ";
inline const char* const kInstallationUser = ", user ";
inline const char* const kWindowsUser = "User ";
inline const char* const kOpenInstallationTitle = "Open an Outlook Installation (a Wine prefix)";
inline const char* const kChooseUserTitle = "Wine User";
inline const char* const kChooseUserLabel = "Whose Outlook data:";
inline const char* const kCannotOpenInstallation = "The Outlook installation cannot be opened: ";
inline const char* const kOnlyThisInstallation =
    "This program works on the Windows it runs in, for the user who runs it.";

// Help and the web page without a browser.
inline const char* const kNoBrowserBefore = "No web browser could be started. Our web page is ";

// A scheduled backup that failed, told when the window opens.
inline const char* const kScheduledFailedBefore = "The scheduled backup into ";
inline const char* const kScheduledFailedOn = " failed on ";
inline const char* const kScheduledFailedMore = " more scheduled backups failed before.";
// The history could not take a run's record.
inline const char* const kNotRecorded = "This run is not in the history of runs: ";

}  // namespace qm::runs::text
