#pragma once
// The texts the windows and the console both show of a run, spelled as the
// program has always shown them.
namespace qm::frontend::text {

// The busy panel's status line before a run sets it.
inline const char* const kPleaseWaiting = "Please Waiting";

// Backup closing messages.
inline const char* const kBackupCompleted = "The Backup was Completed!";
// Shown instead when no archive could be written: nothing was backed up.
inline const char* const kBackupFailed = "The Backup has Failed!";
inline const char* const kSucceeded = "succeeded!";
inline const char* const kFail = "Fail!";

// Opening a backup file.
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

// The long steps of the archive on the status line, the percentage after.
inline const char* const kWritingBackupFile = "Writing the backup file ";
inline const char* const kCheckingBackupFile = "Checking the backup file ";

// A backup file read to its end (the console's --list, the window's test).
inline const char* const kNoSuchFile = "no such file";
inline const char* const kNotABackupFile = "not a backup file that can be opened";
inline const char* const kNoInformationFile = "no information file";
inline const char* const kDamagedEntry = "damaged entry: ";
inline const char* const kProtectedHint = " (it is protected: give --password)";

// The Outlook installed, and the new Outlook, which keeps no profiles of
// this kind.
inline const char* const kNoOutlookFound = "No Outlook found";
inline const char* const kNewOutlookNote =
    "The new Outlook is switched on: it does not read these profiles (the classic Outlook does).";

// Restore run.
inline const char* const kRestoreConfirm =
    "Your current Email and News messages will be replaced with the messages from the selected backup file."
    "\r\n\r\nDo you want to countinue?";
inline const char* const kOperationComplete = "Operation complete!";
inline const char* const kRestoreCompleted = "The Restore was Completed!";

// A part that failed, named with its reason: "failed: the rules could not
// be backed up: ...".
inline const char* const kFailedPart = "failed: the ";
inline const char* const kCouldNotBeBackedUp = " could not be backed up";
inline const char* const kCouldNotBeRestored = " could not be restored";
inline const char* const kHoldsNothingOfIt = "this installation holds nothing of it";
inline const char* const kNoBackupWritten = "no backup written: ";
inline const char* const kNothingRestored = "nothing was restored: ";
// The summaries of the desktop notifications of failed scheduled runs.
inline const char* const kNoticeRunFailed = "Quillmark: a scheduled backup failed";
inline const char* const kNoticeItemsFailed = "Quillmark: a scheduled backup is incomplete";

}  // namespace qm::frontend::text
