#include "jobs/KeepPolicy.h"

#include <charconv>
#include <cstdio>

namespace qm::jobs {
namespace {

std::optional<unsigned> countOf(const std::string& text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// 1 for Monday ... 7 for Sunday.
int isoWeekday(long days) { return static_cast<int>(((days % 7) + 7 + 3) % 7) + 1; }

bool validDate(int y, int m, int d) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1601 || y > 9999 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m != 2 || d <= 28 || leap;
}

// Digits up to `stop` (or the end) from `at`; moves `at` past them.
std::optional<int> numberAt(const std::string& text, std::size_t& at, std::size_t maxDigits) {
    std::size_t start = at;
    while (at < text.size() && at - start < maxDigits && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == start) return std::nullopt;
    return std::stoi(text.substr(start, at - start));
}

}  // namespace

std::vector<std::string> KeepWords(const KeepPolicy& policy) {
    std::vector<std::string> words;
    if (policy.last != 1) words.insert(words.end(), {kKeepOption, std::to_string(policy.last)});
    if (policy.weekly) words.insert(words.end(), {kKeepWeeklyOption, std::to_string(policy.weekly)});
    if (policy.monthly) words.insert(words.end(), {kKeepMonthlyOption, std::to_string(policy.monthly)});
    return words;
}

bool SetKeepOption(KeepPolicy& policy, const std::string& name, const std::string& value, std::string& why) {
    const bool last = name == kKeepOption;
    unsigned* field = last                         ? &policy.last
                      : name == kKeepWeeklyOption  ? &policy.weekly
                      : name == kKeepMonthlyOption ? &policy.monthly
                                                   : nullptr;
    if (!field) {
        why = "unknown option " + name;
        return false;
    }
    const auto count = countOf(value);
    const unsigned low = last ? 1 : 0;
    if (!count || *count < low || *count > kMaxKeep) {
        why = name + " takes a number from " + std::to_string(low) + " to " + std::to_string(kMaxKeep);
        return false;
    }
    *field = *count;
    return true;
}

bool ReadKeepWords(const std::vector<std::string>& words, KeepPolicy& policy, std::string& why) {
    KeepPolicy read;
    for (std::size_t i = 0; i < words.size(); i += 2) {
        if (i + 1 >= words.size()) {
            why = words[i] + " has no value";
            return false;
        }
        if (!SetKeepOption(read, words[i], words[i + 1], why)) return false;
    }
    policy = read;
    return true;
}

std::string KeepText(const KeepPolicy& policy) {
    std::string text = std::to_string(policy.last);
    if (policy.weekly) text += ", " + std::to_string(policy.weekly) + " weekly";
    if (policy.monthly) text += ", " + std::to_string(policy.monthly) + " monthly";
    return text;
}

std::optional<BackupStamp> ParseBackupTime(const std::string& text) {
    BackupStamp t;
    std::size_t at = 0;
    auto part = [&](int& field, std::size_t digits, char after) {
        const auto n = numberAt(text, at, digits);
        if (!n) return false;
        field = *n;
        if (after == '\0') return true;
        if (at >= text.size() || text[at] != after) return false;
        ++at;
        return true;
    };
    if (!part(t.month, 2, '/') || !part(t.day, 2, '/') || !part(t.year, 4, ' ') || !part(t.hour, 2, ':') ||
        !part(t.minute, 2, ':') || !part(t.second, 2, '\0'))
        return std::nullopt;
    const std::string rest = text.substr(at);
    if (rest == " AM" || rest == " PM") {
        if (t.hour < 1 || t.hour > 12) return std::nullopt;
        t.hour = t.hour % 12 + (rest == " PM" ? 12 : 0);
    } else if (!rest.empty()) {
        return std::nullopt;
    }
    if (!validDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

std::string StampText(const BackupStamp& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

int IsoWeekOf(const BackupStamp& t) {
    const long days = daysFromCivil(t.year, t.month, t.day);
    // The week belongs to the year of its Thursday.
    const long thursday = days - isoWeekday(days) + 4;
    int year = t.year + 1;
    while (daysFromCivil(year, 1, 1) > thursday) --year;
    const long week = (thursday - daysFromCivil(year, 1, 1)) / 7 + 1;
    return year * 100 + static_cast<int>(week);
}

int MonthOf(const BackupStamp& t) { return t.year * 100 + t.month; }

std::vector<bool> VersionsKept(const std::vector<BackupStamp>& newestFirst, const KeepPolicy& policy) {
    std::vector<bool> kept(newestFirst.size(), false);
    // Each bucket rule keeps the newest version of each of its last buckets
    // that hold one.
    auto byBucket = [&](unsigned count, int (*bucketOf)(const BackupStamp&)) {
        std::optional<int> previous;
        unsigned taken = 0;
        for (std::size_t i = 0; i < newestFirst.size() && taken < count; ++i) {
            const int bucket = bucketOf(newestFirst[i]);
            if (previous && *previous == bucket) continue;
            previous = bucket;
            kept[i] = true;
            ++taken;
        }
    };
    for (std::size_t i = 0; i < newestFirst.size() && i < policy.last; ++i) kept[i] = true;
    byBucket(policy.weekly, IsoWeekOf);
    byBucket(policy.monthly, MonthOf);
    return kept;
}

}  // namespace qm::jobs
