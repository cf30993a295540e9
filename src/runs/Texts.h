#pragma once
// Every text the runs show, spelled as the program has always shown it.
namespace qm::runs::text {

// Backup checks.
inline const char* const kInvalidTarget = "Invalid backup file.";
inline const char* const kSelectOne = "Please select at least one item.";
inline const char* const kEnterPassword = "Please enter Password!";
inline const char* const kPasswordsDiffer = "Incorect Password!";

// The busy panel's status line before a run sets it.
inline const char* const kPleaseWaiting = "Please Waiting";

// Backup closing messages.
inline const char* const kBackupCompleted = "The Backup was Completed!";
// Shown instead when no archive could be written: nothing was backed up.
inline const char* const kBackupFailed = "The Backup has Failed!";
inline const char* const kDiscOffer = "Do you need to backup your data to CD-R/RW or DVD?";
inline const char* const kSucceeded = "succeeded!";
inline const char* const kFail = "Fail!";

// Opening a backup file.
inline const char* const kOpenTitle = "Restore Date from a Backup file";
inline const char* const kOpenFilter = "Quillmark File (*.qmk)|*.qmk";
inline const char* const kWrongPassword = "Incorect Password or Invalid backup file";
inline const char* const kInvalidBackup = "Invalid backup file";
inline const char* const kFactComputer = "Computer:";
inline const char* const kFactUser = "User:";
inline const char* const kFactTime = "Backup Time:";
inline const char* const kFactProfile = "Profile:";
inline const char* const kFactVersion = "Outlook Version:";
// The password window (frmPwd).
inline const char* const kPasswordCaption = "Please enter password";
inline const char* const kPasswordLabel = "Please enter password:";

// Restore run.
inline const char* const kNoBackupLoaded = "Invalid backup file.";
inline const char* const kRestoreConfirm =
    "Your current Email and News messages will be replaced with the messages from the selected backup file."
    "\r\n\r\nDo you want to countinue?";
inline const char* const kOperationComplete = "Operation complete!";
inline const char* const kRestoreCompleted = "The Restore was Completed!";

// The description the automatic run stores.
inline const char* const kAutomaticBackup = "Automatic Backup";

}  // namespace qm::runs::text
