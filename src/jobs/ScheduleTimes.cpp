#include "jobs/ScheduleTimes.h"

#include "platform/Scheduler.h"

namespace qm::jobs {
namespace {

bool allDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

const std::array<WeekdayToken, kWeekdayCount> kWeekdayTokens = {{
    {"M", platform::kMondayBit},
    {"T", platform::kTuesdayBit},
    {"W", platform::kWednesdayBit},
    {"TH", platform::kThursdayBit},
    {"F", platform::kFridayBit},
    {"S", platform::kSaturdayBit},
    {"SU", platform::kSundayBit},
}};

std::string DayList(const WeekdayChecks& checked) {
    std::string list;
    for (int day = 0; day < kWeekdayCount; ++day) {
        if (!checked[day]) continue;
        if (!list.empty()) list += ",";
        list += kWeekdayTokens[day].token;
    }
    return list;
}

std::uint8_t DaysOfWeekFromDayList(const std::string& dayList) {
    std::uint8_t bits = 0;
    size_t start = 0;
    while (start <= dayList.size()) {
        size_t comma = dayList.find(',', start);
        std::string token = dayList.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        for (const auto& known : kWeekdayTokens)
            if (token == known.token) bits |= known.bit;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return bits;
}

std::vector<std::string> StartTimeEntries() {
    std::vector<std::string> entries;
    for (int hour = 0; hour < 24; ++hour) {
        entries.push_back(std::to_string(hour) + ":00");
        entries.push_back(std::to_string(hour) + ":30");
    }
    return entries;
}

std::optional<std::uint32_t> StartMinuteFromText(const std::string& text) {
    const std::string time = trimmed(text);
    size_t colon = time.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const std::string hours = time.substr(0, colon);
    const std::string minutes = time.substr(colon + 1);
    if (hours.size() > 2 || minutes.size() != 2 || !allDigits(hours) || !allDigits(minutes)) return std::nullopt;
    const std::uint32_t h = static_cast<std::uint32_t>(std::stoul(hours));
    const std::uint32_t m = static_cast<std::uint32_t>(std::stoul(minutes));
    if (h > 23 || m > 59) return std::nullopt;
    return h * 60 + m;
}

std::string StartTimeText(std::uint32_t startMinute) {
    const std::uint32_t m = startMinute % 60;
    return std::to_string(startMinute / 60) + (m < 10 ? ":0" : ":") + std::to_string(m);
}

}  // namespace qm::jobs
