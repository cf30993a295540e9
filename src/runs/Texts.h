#pragma once
// The texts only the main window shows, spelled as the program has always
// shown them.
namespace qm::runs::text {

inline const char* const kBackupNow = "Backup Now";
inline const char* const kRestoreNow = "Restore Now";

// The save dialog of the backup target.
inline const char* const kSaveTitle = "Save Outlook Data as";
inline const char* const kQmkFilter = "Quillmark File (*.qmk)|*.qmk";

// After a backup.
inline const char* const kDiscOffer = "Do you need to backup your data to CD-R/RW or DVD?";

// Opening a backup file.
inline const char* const kOpenTitle = "Restore Date from a Backup file";
inline const char* const kOpenFilter = "Quillmark File (*.qmk)|*.qmk";

}  // namespace qm::runs::text
