#include "platform/posix/CronLine.h"

#include <charconv>
#include <vector>

namespace qm::platform::posix {
namespace {

const std::string kMarker = " # quillmark job ";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<std::uint32_t> readNumber(const std::string& text) {
    std::uint32_t value = 0;
    if (text.empty()) return std::nullopt;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The number after the last marker, when the line ends with it.
std::optional<std::uint32_t> numberAfterMarker(const std::string& line) {
    size_t at = line.rfind(kMarker);
    if (at == std::string::npos) return std::nullopt;
    std::string rest = line.substr(at + kMarker.size());
    while (!rest.empty() && isBlank(rest.back())) rest.pop_back();
    return readNumber(rest);
}

bool isCommentOrBlank(const std::string& line) {
    size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

bool carriesLineBreak(const std::string& value) {
    return value.find_first_of(std::string("\n\r\0", 3)) != std::string::npos;
}

// Weekday bits (Monday lowest) as cron's day numbers (Sunday 0), ascending.
std::string cronWeekdays(std::uint8_t bits) {
    std::string field;
    auto add = [&field](int day) { field += (field.empty() ? "" : ",") + std::to_string(day); };
    if (bits & kSundayBit) add(0);
    for (int day = 1; day <= 6; ++day)
        if (bits & (1u << (day - 1))) add(day);
    return field;
}

std::string cronMonthDays(std::uint32_t bits) {
    std::string field;
    for (int day = 1; day <= 31; ++day)
        if (bits & (1u << (day - 1))) field += (field.empty() ? "" : ",") + std::to_string(day);
    return field;
}

// "*" is 0; otherwise each listed day within [low, high] sets its bit.
template <typename Bit>
bool readDayField(const std::string& field, int low, int high, Bit bitOf, std::uint32_t& bits) {
    bits = 0;
    if (field == "*") return true;
    size_t start = 0;
    while (start <= field.size()) {
        size_t comma = field.find(',', start);
        auto day = readNumber(field.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!day || static_cast<int>(*day) < low || static_cast<int>(*day) > high) return false;
        bits |= bitOf(static_cast<int>(*day));
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
    return false;
}

// The shell words of a command as this scheduler writes them: single
// quotes, backslash escapes outside them, ";" between commands and a
// trailing comment. Anything else a shell would expand makes it unreadable.
bool shellWords(const std::string& command, std::vector<std::string>& words) {
    size_t i = 0;
    const size_t n = command.size();
    while (true) {
        while (i < n && isBlank(command[i])) ++i;
        if (i == n || command[i] == '#') return true;
        if (command[i] == ';') {
            words.emplace_back(";");
            ++i;
            continue;
        }
        std::string word;
        while (i < n && !isBlank(command[i]) && command[i] != ';') {
            char c = command[i];
            if (c == '\'') {
                size_t close = command.find('\'', i + 1);
                if (close == std::string::npos) return false;
                word += command.substr(i + 1, close - i - 1);
                i = close + 1;
            } else if (c == '\\') {
                if (i + 1 == n) return false;
                word += command[i + 1];
                i += 2;
            } else if (std::string("\"$`&|<>(){}*?[]~").find(c) != std::string::npos) {
                return false;
            } else {
                word += c;
                ++i;
            }
        }
        words.push_back(word);
    }
}

// The unattended run's reading of its argument text: split at "=", the two
// characters before each "=" are the next key's name, values by position.
bool readArguments(const std::string& text, ScheduledJob& job) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t eq; (eq = text.find('=', start)) != std::string::npos; start = eq + 1)
        pieces.push_back(text.substr(start, eq - start));
    pieces.push_back(text.substr(start));
    if (pieces.size() < 5) return false;
    for (size_t i = 1; i + 1 < pieces.size(); ++i)
        pieces[i].erase(pieces[i].size() < 2 ? 0 : pieces[i].size() - 2);
    job.profile = pieces[1];
    job.itemDigits = pieces[2];
    job.hasPassword = !pieces[3].empty();
    job.targetFile = pieces[4];
    return true;
}

}  // namespace

std::string cronShellWord(const std::string& value) {
    std::string word = "'";
    for (char c : value) {
        if (c == '\'')
            word += "'\\''";
        else if (c == '%')
            word += "'\\%'";
        else
            word += c;
    }
    return word + "'";
}

bool argumentTextOf(const std::string& command, std::string& arguments) {
    if (command.size() < 2 || command[0] != '"') return false;
    size_t close = command.find('"', 1);
    if (close == std::string::npos || close == 1 || close + 1 >= command.size() || command[close + 1] != ' ')
        return false;
    arguments = command.substr(close + 2);
    return !arguments.empty();
}

bool cronLineFor(const CronProgram& program, const AtInfo& job, std::uint32_t jobNumber, std::string& line,
                 std::string& reason) {
    if (program.programPath.empty() || program.programPath[0] != '/') {
        reason = "the program's path is not absolute: " + program.programPath;
        return false;
    }
    if (program.prefixPath.empty() || program.prefixPath[0] != '/') {
        reason = "the Wine prefix's path is not absolute: " + program.prefixPath;
        return false;
    }
    if (program.wineUser.empty()) {
        reason = "no Wine user name";
        return false;
    }
    if (job.JobTime >= kMillisecondsPerDay || job.JobTime % 60000 != 0) {
        reason = "the start time is not a minute of the day";
        return false;
    }
    if ((job.DaysOfMonth >> 31) != 0 || (job.DaysOfWeek & ~kAllWeekdayBits) != 0) {
        reason = "the job names days that do not exist";
        return false;
    }
    std::string arguments;
    if (!argumentTextOf(job.Command, arguments)) {
        reason = "the job's command is not a quoted program path followed by its arguments";
        return false;
    }
    const std::string* values[] = {&program.programPath, &program.prefixPath, &program.wineUser, &program.codePage,
                                   &arguments};
    for (const std::string* value : values) {
        if (carriesLineBreak(*value)) {
            reason = "a value holds a line break, which a crontab line cannot carry";
            return false;
        }
    }

    const bool once = !(job.Flags & kJobRunPeriodically) || (job.DaysOfMonth == 0 && job.DaysOfWeek == 0);
    const std::string number = std::to_string(jobNumber);
    std::string command = cronShellWord(program.programPath) + " --prefix " + cronShellWord(program.prefixPath) +
                          " --user " + cronShellWord(program.wineUser) +
                          (program.codePage.empty() ? "" : " --code-page " + cronShellWord(program.codePage)) + " " +
                          cronShellWord(arguments);
    if (once) command += "; " + cronShellWord(program.programPath) + " --unschedule " + number;
    command += kMarker + number;
    if (command.size() > kMaxCronCommand) {
        reason = "the job's command line is " + std::to_string(command.size()) +
                 " characters long, more than cron takes (" + std::to_string(kMaxCronCommand) + ")";
        return false;
    }

    const std::uint32_t minutes = job.JobTime / 60000;
    const std::string monthDays = job.DaysOfMonth ? cronMonthDays(job.DaysOfMonth) : "*";
    const std::string weekdays = job.DaysOfWeek ? cronWeekdays(job.DaysOfWeek) : "*";
    line = std::to_string(minutes % 60) + " " + std::to_string(minutes / 60) + " " + monthDays + " * " + weekdays +
           " " + command;
    return true;
}

std::optional<std::uint32_t> markedJobNumber(const std::string& line) {
    if (isCommentOrBlank(line)) return std::nullopt;
    return numberAfterMarker(line);
}

std::optional<std::uint32_t> anyMarkedJobNumber(const std::string& line) { return numberAfterMarker(line); }

std::optional<ScheduledJob> parseCronLine(const std::string& line) {
    auto number = markedJobNumber(line);
    if (!number) return std::nullopt;

    std::string fields[5];
    size_t i = 0;
    for (auto& field : fields) {
        while (i < line.size() && isBlank(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        field = line.substr(start, i - start);
    }
    auto minute = readNumber(fields[0]);
    auto hour = readNumber(fields[1]);
    if (!minute || !hour || *minute > 59 || *hour > 23 || fields[3] != "*") return std::nullopt;

    ScheduledJob job;
    job.jobNumber = *number;
    job.JobTime = (*hour * 60 + *minute) * 60000;
    std::uint32_t weekdays = 0;
    if (!readDayField(fields[2], 1, 31, [](int day) { return 1u << (day - 1); }, job.DaysOfMonth) ||
        !readDayField(fields[4], 0, 7, [](int day) { return day % 7 == 0 ? kSundayBit : 1u << (day - 1); },
                      weekdays))
        return std::nullopt;
    job.DaysOfWeek = static_cast<std::uint8_t>(weekdays);

    std::vector<std::string> words;
    if (!shellWords(line.substr(i), words)) return std::nullopt;
    // A code page given when the job was added stands after the user.
    if (words.size() >= 8 && words[5] == "--code-page") words.erase(words.begin() + 5, words.begin() + 7);
    const bool once = words.size() == 10;
    if ((words.size() != 6 && !once) || words[1] != "--prefix" || words[3] != "--user") return std::nullopt;
    if (once && (words[6] != ";" || words[7] != words[0] || words[8] != "--unschedule" ||
                 readNumber(words[9]) != number))
        return std::nullopt;
    job.Flags = once ? 0 : kJobRunPeriodically;
    if (!readArguments(words[5], job)) return std::nullopt;
    return job;
}

}  // namespace qm::platform::posix
