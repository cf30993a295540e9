#pragma once
// The console's command line: which form it is and the values it gives.
// Every value is taken whole, "=" included; only the unattended argument
// text is read by position.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jobs/KeepPolicy.h"
#include "jobs/ScheduleTimes.h"
#include "platform/OpenPlatform.h"

namespace qm::cli {

enum class Form {
    None,        // no arguments, or only --prefix and --user
    Help,
    Unattended,  // sf=<profile>xm=<items>ps=<password>bf=<file>, as a scheduled job runs it
    List,
    Profiles,  // the Outlook installed and its profiles
    Backup,
    Restore,
    Schedule,
    Jobs,
    Unschedule,
    CatchUp,  // the missed runs of the scheduled jobs made up
};

struct Arguments {
    Form form = Form::None;
    platform::PlatformOptions wine;  // --prefix, --user
    std::string file;                // --list, --backup, --restore FILE; --schedule's --file
    std::string profile;
    std::optional<std::string> items;  // eight "0"/"1" digits
    std::optional<std::string> password;  // --password, or the first line of --password-file
    std::string passwordFile;             // --password-file FILE
    std::string description;
    bool yes = false;
    std::string time;                  // --time H:MM
    std::optional<std::string> days;   // --days, as typed
    std::uint32_t jobNumber = 0;       // --unschedule N
    std::string argumentText;          // the unattended form's words joined by single blanks
    // --keep, --keep-weekly, --keep-monthly: the words as given, and read.
    std::vector<std::string> keepWords;
    jobs::KeepPolicy keep;
};

// False with `error` (for the user, UTF-8) when the words make no form the
// program takes; `args` then is not to be used.
bool parseArguments(const std::vector<std::string>& words, Arguments& args, std::string& error);

// The weekdays of a --days value: the tokens M, T, W, TH, F, S, SU
// separated by "," (letter case ignored), or "daily". Nothing for another
// text.
std::optional<jobs::WeekdayChecks> weekdaysOf(const std::string& days);

}  // namespace qm::cli
