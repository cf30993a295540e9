#pragma once
// The texts only the options window and its list of jobs show, as the user
// has always seen them. (The checks of a scheduled backup say theirs in
// jobs/Texts.h.)
namespace qm::options {

// The address book of Outlook 2007 and 2010, on the options window.
inline const char* const kNoPabTooltip = " MS Outlook 2007 don't support Personal Address Book!";

// The save dialog of "Browse...".
inline const char* const kSaveDialogTitle = "Save Outlook Data as";
inline const char* const kSaveDialogFilter = "Quillmark File (*.qmk)|*.qmk";
inline const char* const kProposedFileName = "ferrowick";

// The list of scheduled jobs.
inline const char* const kConfirmRemoveBefore = "Remove task ";
inline const char* const kConfirmRemoveAfter = " from the scheduler?";

}  // namespace qm::options
