#pragma once
// How many earlier versions of a backup file are kept beside it, and which:
// the newest N, and (as restic's keep-weekly/keep-monthly) the newest of
// each of the last W ISO weeks and M months that have one. A scheduled job
// carries the policy as program options ("--keep 3 --keep-weekly 4").
#include <optional>
#include <string>
#include <vector>

namespace qm::jobs {

struct KeepPolicy {
    unsigned last = 1;  // 1: one file, replaced by each backup
    unsigned weekly = 0;
    unsigned monthly = 0;
    bool operator==(const KeepPolicy&) const = default;
    // Only the newest backup is kept: no version is ever made.
    bool replacesOnly() const { return last <= 1 && weekly == 0 && monthly == 0; }
};

inline constexpr unsigned kMaxKeep = 999;

inline const char* const kKeepOption = "--keep";
inline const char* const kKeepWeeklyOption = "--keep-weekly";
inline const char* const kKeepMonthlyOption = "--keep-monthly";

// The option words of a policy, only those that differ from the default
// (a job that keeps one file carries none).
std::vector<std::string> KeepWords(const KeepPolicy& policy);
// Sets one of the three options from its value; false with the reason when
// the name is none of them or the value is no count in its range (--keep
// 1 to 999, the others 0 to 999).
bool SetKeepOption(KeepPolicy& policy, const std::string& name, const std::string& value, std::string& why);
// Reads option words back (pairs of name and value); false with the reason
// for a word that is none of the options or a value out of its range.
bool ReadKeepWords(const std::vector<std::string>& words, KeepPolicy& policy, std::string& why);
// "3", "3, 4 weekly, 6 monthly".
std::string KeepText(const KeepPolicy& policy);

// A local time of day as backups record it.
struct BackupStamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const BackupStamp&) const = default;
};

// The "BackupTime" of an information file ("12/8/2026 11:30:05 PM", also
// with a 24-hour clock and no AM/PM); nothing for any other text.
std::optional<BackupStamp> ParseBackupTime(const std::string& text);
// "2026-12-08 23-30-05", as the names of kept versions carry it.
std::string StampText(const BackupStamp& stamp);
// ISO 8601 week (year * 100 + week) and month (year * 100 + month).
int IsoWeekOf(const BackupStamp& stamp);
int MonthOf(const BackupStamp& stamp);

// Which versions the policy keeps: `newestFirst` are their times, newest
// first; the answer has one flag per time.
std::vector<bool> VersionsKept(const std::vector<BackupStamp>& newestFirst, const KeepPolicy& policy);

}  // namespace qm::jobs
