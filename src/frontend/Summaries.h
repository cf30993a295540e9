#pragma once
// The texts a run ends with, built in one place for every front end: the
// window's message boxes and the console's output. Core text (the
// installation's code page), CR LF between lines.
#include <string>

#include "jobs/BackupJob.h"
#include "jobs/OpenBackup.h"
#include "jobs/RestoreJob.h"

namespace qm::frontend {

// "The Backup was Completed!" (or, when no archive was written, "The Backup
// has Failed!"), three TABs, CR LF, then one line per reported part: CR LF,
// label, separator, "succeeded!" or "Fail!", TAB. The report's notes
// follow, after an empty line, one a line.
std::string BackupReportText(const jobs::BackupReport& report);

// "The Restore was Completed!", three TABs, CR LF, then one line per step
// that ran and has a summary label; the notes as above.
std::string RestoreSummaryText(const jobs::RestoreReport& report);

// The Outlook installed: its name and version ("Outlook 2019 (16.0)"), and
// on a line of its own, when the new Outlook is switched on, that it does
// not read these profiles.
std::string InstallationText(const app::Session& session);

// The five facts of an opened backup ("Computer:PC" ... "Outlook
// Version:Outlook 2010"), CR LF between them.
std::string BackupFactsText(const jobs::OpenedBackup& opened);

}  // namespace qm::frontend
