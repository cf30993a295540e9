#pragma once
// When a scheduled backup runs: start times, weekday tokens and the day
// list, and the time of day in minutes.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm::jobs {

enum class Weekday { Monday, Tuesday, Wednesday, Thursday, Friday, Saturday, Sunday };
inline constexpr int kWeekdayCount = 7;
// chkMonday ... chkSunday, Monday first.
using WeekdayChecks = std::array<bool, kWeekdayCount>;

struct WeekdayToken {
    const char* token;
    std::uint8_t bit;
};
// "M", "T", "W", "TH", "F", "S", "SU", Monday first, with their weekday bits.
extern const std::array<WeekdayToken, kWeekdayCount> kWeekdayTokens;

// The tokens of the checked days in weekday order, joined by ",": "M,W,F";
// empty when no day is checked.
std::string DayList(const WeekdayChecks& checked);
// The sum of the bits of the day list's tokens; each token is compared
// whole ("TH" is Thursday alone, not Tuesday too).
std::uint8_t DaysOfWeekFromDayList(const std::string& dayList);

// cmbStartTime's entries: "0:00", "0:30", ... "23:30".
std::vector<std::string> StartTimeEntries();
inline const char* const kDefaultStartTime = "9:00";

// Minutes after midnight of a time of day written "H:MM" or "HH:MM"
// ("9:00" -> 540); nullopt for a text that is no time of day.
std::optional<std::uint32_t> StartMinuteFromText(const std::string& text);
// The other way round, as the start-time list writes it: 540 -> "9:00".
std::string StartTimeText(std::uint32_t startMinute);

}  // namespace qm::jobs
