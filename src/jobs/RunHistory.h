#pragma once
// The history of runs: one record per backup, restore and scheduled backup,
// appended to a log in the user's state folder (the folder the runs make
// their work folders in), for whoever wants to know later when a backup
// last ran and how it ended: the list of scheduled jobs, the main window
// when it opens, the console's --jobs.
//
// A record is one line of five fields, each followed by a TAB but the last,
// in UTF-8, ending with a line feed:
//
//   2026-12-08 23:30:05	scheduled	/home/alice/b.qmk	1	no backup written: ...
//
//   time       local time, "YYYY-MM-DD HH:MM:SS" (sorts as time goes)
//   kind       "backup", "restore" or "scheduled" (the unattended backup a
//              scheduled job runs, also when started from the job list or
//              by a catch-up); for the catch-up of missed runs (CatchUp.h)
//              also "started" (a scheduled run began; status 0, no
//              message) and "added" (a job into that file was scheduled;
//              status 0, the message names the job)
//   file       the backup file as the run was given it (a scheduled run:
//              as its job's argument text names it)
//   status     the exit status a console run ends with: 0 all done, 3
//              written or restored with failed items, 1 nothing done
//   message    what failed and why, on one line; empty when all was done
//
// No field holds a TAB or a line break: they are written as blanks. A line
// that does not read so (a killed run's half line) is passed over. The log
// is kept under kMaxHistoryBytes by dropping its oldest records.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/Session.h"
#include "platform/FileSystem.h"

namespace qm::jobs {

inline const char* const kHistoryFileName = "history.log";
// Beside the log: the time of the newest failed scheduled run the window
// has told of.
inline const char* const kHistoryToldFileName = "history.told";
inline constexpr std::size_t kMaxHistoryBytes = 256 * 1024;

inline const char* const kBackupRecord = "backup";
inline const char* const kRestoreRecord = "restore";
inline const char* const kScheduledRecord = "scheduled";
inline const char* const kStartedRecord = "started";
inline const char* const kAddedRecord = "added";
// The message of an "added" record: which job was added.
inline std::string AddedJobMessage(std::uint32_t jobNumber) { return "scheduled job " + std::to_string(jobNumber); }

struct RunRecord {
    std::string time;
    std::string kind;
    std::string file;
    int exitStatus = 0;
    std::string message;
};

// The record's line, its line feed included.
std::string RecordLine(const RunRecord& record);
// A line of the log (without its line feed) read back; nothing for a line
// that is no record.
std::optional<RunRecord> ReadRecordLine(const std::string& line);

class RunHistory {
public:
    // The log at `logPath` (a Windows path) through `files`.
    RunHistory(platform::FileSystem& files, std::string logPath);
    // The log in a state folder (a Windows path, as `files` names it).
    static RunHistory in(platform::FileSystem& files, const std::string& folder);
    // The log of the user whose state folder holds the session's work
    // folders.
    static RunHistory of(app::Session& session);

    // Appends the record; the oldest records go when the log grows past its
    // bound. False with the reason when it cannot be written.
    bool append(const RunRecord& record, std::string& why);
    // Every record, oldest first.
    std::vector<RunRecord> records() const;
    // The newest scheduled run into that backup file, if any; given the
    // job's number, none from before that job was added (an earlier job
    // into the same file).
    std::optional<RunRecord> lastScheduledRun(const std::string& file, std::uint32_t jobNumber = 0) const;

    // Scheduled runs that failed (status not 0) and that nobody was told of
    // yet, oldest first; markTold() with the newest one's time makes them
    // told.
    std::vector<RunRecord> untoldFailures() const;
    bool markTold(const std::string& time);

private:
    std::string toldPath() const;

    platform::FileSystem& files_;
    std::string path_;
};

}  // namespace qm::jobs
