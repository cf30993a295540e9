#pragma once
// One scheduled job as one line of the user's crontab, and back.
//
// A job line runs the program by its absolute path with the Wine prefix and
// user named on the line, since cron's environment has neither WINEPREFIX
// nor much else, and ends with a marker comment carrying the job number:
//
//   30 23 * * 1,3,5 '/opt/qm/quillmark' --prefix '/home/u/.wine' --user 'u' 'sf=...bf=...' # quillmark job 3
//
// A code page chosen for the installation goes with it (--code-page '932'
// after the user), so the job reads its names as they were scheduled. A
// protected backup's password is in a private file the line names
// (--password-file '<file>' after them), never on the line itself. The
// job's program options (--keep '3') come last, before the argument text.
//
// A job for no particular day runs once and then removes its own line:
//
//   0 9 * * * '/opt/qm/quillmark' ... 'sf=...'; '/opt/qm/quillmark' --unschedule 4 # quillmark job 4
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Scheduler.h"

namespace qm::platform::posix {

// The installation every job line names: the Wine prefix (an absolute host
// path), Wine's user name and the code page chosen for it.
struct CronInstallation {
    std::string prefixPath;
    std::string wineUser;
    std::string codePage = {};  // empty: the prefix's own
};

// cron takes at most this many characters of a line's command (Debian's
// crontab refuses a longer one; other crons cut it short).
inline constexpr std::size_t kMaxCronCommand = 998;

// One word for /bin/sh that passes through cron unchanged: single quotes,
// and every "%" (which cron would turn into a line break) escaped outside
// them as "\%".
std::string cronShellWord(const std::string& value);

// The crontab line of `job` under `jobNumber` (the job's program an
// absolute host path) reading its password from `passwordFile` (empty:
// none), or the reason there is none (a value no crontab line can carry, a
// time cron cannot express). The job's password itself is never on it.
bool cronLineFor(const CronInstallation& installation, const JobSpec& job, std::uint32_t jobNumber,
                 const std::string& passwordFile, std::string& line, std::string& why);

// The job number of a line this scheduler wrote, whether or not the rest of
// the line still reads; nullopt for every other line, comment lines included.
std::optional<std::uint32_t> markedJobNumber(const std::string& line);
// The job number in the marker of any line, commented-out jobs included,
// so a new job never takes a number that may come back.
std::optional<std::uint32_t> anyMarkedJobNumber(const std::string& line);

// The words of the command a line this scheduler wrote runs (the program
// first), without what follows it (a job that runs once removing itself);
// nullopt when the line is none of this scheduler's or its command does not
// read.
std::optional<std::vector<std::string>> jobCommandWords(const std::string& line);

// A line this scheduler wrote, read back; nullopt when it is not one, in the
// exact form the scheduler writes, or no longer reads as one.
std::optional<ScheduledJob> parseCronLine(const std::string& line);

}  // namespace qm::platform::posix
