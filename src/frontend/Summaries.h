#pragma once
// The texts a run ends with, built in one place for every front end: the
// window's message boxes and the console's output. Core text (the
// installation's code page), CR LF between lines.
#include <array>
#include <string>
#include <vector>

#include "items/ItemTable.h"
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

// One text for each part that was asked for and failed, in the table's
// order, with its reason when it is known: "failed: the rules could not be
// backed up: <reason>". `available` (what the installation holds of each
// item, as the request found it) explains a backup part that failed for
// want of data; none for a restore.
std::vector<std::string> FailedPartTexts(const std::array<jobs::PartResult, items::kPartCount>& parts, bool backup,
                                         const items::ItemAvailability* available = nullptr);

// What a backup file read to its end says (core text): "damaged entry:
// <name>" for each damaged entry, then the verdict ("3 of 12 entries do not
// read back whole", or for a sound file "All 12 entries read back whole.").
// `whole` is set when the file is a valid backup whose entries all read
// back; the reasons of a file that does not open are for the caller.
std::vector<std::string> ListingVerdict(const jobs::BackupListing& listing, bool& whole);
std::string AllEntriesWholeText(std::size_t count);

// The lines of a text, each cut at its runs of TABs into columns (TABs that
// end a line end its last column; an empty line has no column), so that a
// window can line the columns of a report up in a table of its own
// whatever its font: the report itself keeps its TABs.
std::vector<std::vector<std::string>> TextColumns(const std::string& text);

// The Outlook installed: its name and version ("Outlook 2019 (16.0)"), and
// on a line of its own, when the new Outlook is switched on, that it does
// not read these profiles.
std::string OutlookText(const app::Session& session);

// The five facts of an opened backup ("Computer:PC" ... "Outlook
// Version:Outlook 2010"), CR LF between them.
std::string BackupFactsText(const jobs::OpenedBackup& opened);

}  // namespace qm::frontend
