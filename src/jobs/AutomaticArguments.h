#pragma once
// The argument text a scheduled job starts the program with, written and
// read here only:
//
//   sf=<profile>xm=<item digits>ps=<password>bf=<backup file>
//
// It is read by position: split at every "=", the two characters before
// each "=" (the next key's name) dropped. There is no escape for "=".
#include <string>

namespace qm::jobs {

// The four settings of an automatic backup, in command-line order.
struct AutomaticSettings {
    std::string profile;      // sf
    std::string selection;    // xm: one digit per item, "1" = selected
    std::string password;     // ps: may be empty
    std::string archivePath;  // bf
};

// The text a job carries; the values must not hold "=" (see
// BuildScheduleRequest).
std::string ArgumentText(const AutomaticSettings& settings);

// False, with the reason, when the text does not split into exactly five
// pieces or the profile, selection or path comes out empty. More than five
// pieces means a value holds "=", which would shift the values after it:
// the wrong profile backed up into the wrong file, without the password.
bool ParseCommandLine(const std::string& text, AutomaticSettings& settings, std::string& why);

inline const char* const kCommandLineIncomplete =
    "the command line does not give sf=<profile>xm=<items>ps=<password>bf=<backup file>";
inline const char* const kCommandLineHasEquals =
    "the command line splits at \"=\" into more than the five pieces of "
    "sf=<profile>xm=<items>ps=<password>bf=<backup file>: no value (profile, items, password or backup file) "
    "may contain \"=\"";
inline const char* const kCommandLineEmptyValue = "the command line names no profile, no items or no backup file";

}  // namespace qm::jobs
