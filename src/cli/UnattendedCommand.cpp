// The unattended backup a scheduled job starts: the argument text read as
// the job wrote it, the installation learnt as start-up learns it, one
// automatic run, and the outcome told by the exit status.
#include "app/Startup.h"
#include "app/ViewText.h"
#include "cli/CatchUpRuns.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/PartReport.h"
#include "cli/ProgressLine.h"
#include "frontend/ExitStatus.h"
#include "frontend/Installation.h"
#include "frontend/ProgressEvents.h"
#include "frontend/RunRecords.h"
#include "frontend/Texts.h"
#include "jobs/AutomaticBackup.h"
#include "jobs/BackupRequest.h"
#include "platform/Interrupt.h"
#include "platform/StateFolder.h"

namespace qm::cli {

namespace {

// The backup file a text names, for the record of a run whose text does
// not read: what follows its last "bf=".
std::string fileNamedIn(const std::string& text) {
    const std::size_t at = text.rfind("bf=");
    return at == std::string::npos ? std::string() : text.substr(at + 3);
}

// A failed run is told on the desktop too: nobody watches a scheduled one.
void notify(const jobs::RunRecord& record) {
    std::string unsent;
    if (!frontend::NotifyFailedRun(record, unsent)) message(unsent);
}

// A run that could not begin still leaves its record: a failing scheduled
// job must not go unseen.
int nothingWritten(const Arguments& args, const std::string& said, const std::string& why) {
    message(said);
    std::string unrecorded;
    const jobs::RunRecord record = frontend::FailedRunRecord(jobs::kScheduledRecord, fileNamedIn(args.argumentText),
                                                             frontend::text::kNoBackupWritten + why);
    if (!frontend::RecordRun(args.wine, record, unrecorded)) message(unrecorded);
    notify(record);
    return frontend::kExitFailed;
}

// Before its own backup: the run is noted as begun (a catch-up then leaves
// its start to it), and the other jobs' missed runs are made up, so that a
// job missed on Monday runs with Tuesday's.
void catchUpOthers(const Arguments& args) {
    const std::string file = fileNamedIn(args.argumentText);
    std::string unrecorded;
    if (!frontend::RecordRun(args.wine, {platform::localTimeStamp(), jobs::kStartedRecord, file, 0, {}}, unrecorded))
        message(unrecorded);
    catchUp(args, file, true);
}

}  // namespace

int runUnattended(const Arguments& args) {
    catchUpOthers(args);
    // Read before anything is opened: a text that does not parse, or whose
    // values shifted at an "=", must not touch the installation or the
    // earlier backup.
    jobs::AutomaticSettings settings;
    std::string why;
    if (!jobs::ParseCommandLine(args.argumentText, settings, why))
        return nothingWritten(args, frontend::text::kNoBackupWritten + why, why);
    if (args.password && !settings.password.empty()) {
        why = "the argument text gives a password (ps=) and --password-file gives one too";
        return nothingWritten(args, frontend::text::kNoBackupWritten + why, why);
    }
    frontend::Installation installation;
    if (!installation.open(args.wine, frontend::Opening::ToWorkAndLearn, why)) return nothingWritten(args, why, why);
    if (!installation.hasOutlook()) message(frontend::kNoOutlookMessage);
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    const std::string commandLine = ui.typed(args.argumentText);
    app::StoreCommandLine(s, commandLine);
    if (!jobs::ParseCommandLine(commandLine, settings, why)) {  // the code page made the text another one
        why = "the command line cannot be read in this installation's code page";
        return nothingWritten(args, frontend::text::kNoBackupWritten + why, why);
    }
    // A job of this program reads its password from the file it names.
    if (args.password) settings.password = ui.typed(*args.password);

    jobs::BackupReport report;
    {
        // Started on a terminal, Ctrl+C stops it as it stops --backup.
        const platform::InterruptWatch interrupts;
        ProgressLine progress(false);
        frontend::ProgressEvents events(s, progress, frontend::ProgressEvents::Steps::Backup);
        report = jobs::RunAutomaticBackup(s, settings, args.keep, events);
    }
    // Recorded under the file as the job names it, which the job list looks
    // for.
    const jobs::RunRecord record =
        frontend::BackupRecord(s, jobs::kScheduledRecord, fileNamedIn(args.argumentText), report);
    recordRun(s, record);
    notify(record);
    for (const auto& notice : report.notices) message(ui.shown(notice));
    for (const auto& warning : report.warnings) message("warning: " + ui.shown(warning));
    for (const auto& note : report.versionNotes) message(ui.shown(note));
    if (!report.versionFailure.empty()) message("warning: " + ui.shown(report.versionFailure));
    if (!report.inUseWarning.empty()) message(ui.shown(report.inUseWarning));
    if (!report.itemResult.empty()) message("BackupItem=" + report.itemResult);
    if (!report.written) {
        message(frontend::text::kNoBackupWritten + ui.shown(report.failure));
        return frontend::ExitStatusOf(report);
    }
    reportFailedParts(report.parts, RunKind::Backup, report.available ? &*report.available : nullptr);
    message("backup written to " + ui.shown(report.writtenAs.empty() ? report.archivePath : report.writtenAs));
    return frontend::ExitStatusOf(report);
}

}  // namespace qm::cli
