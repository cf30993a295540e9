#include "platform/posix/CronLine.h"

#include <algorithm>
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

bool cronLineFor(const CronInstallation& installation, const JobSpec& job, std::uint32_t jobNumber,
                 const std::string& passwordFile, std::string& line, std::string& why) {
    if (job.program.empty() || job.program[0] != '/') {
        why = "the program's path is not absolute: " + job.program;
        return false;
    }
    if (installation.prefixPath.empty() || installation.prefixPath[0] != '/') {
        why = "the Wine prefix's path is not absolute: " + installation.prefixPath;
        return false;
    }
    if (installation.wineUser.empty()) {
        why = "no Wine user name";
        return false;
    }
    if (job.startMinute >= kMinutesPerDay) {
        why = "the start time is not a minute of the day";
        return false;
    }
    if ((job.weekdays & ~kAllWeekdayBits) != 0) {
        why = "the job names days that do not exist";
        return false;
    }
    if (job.arguments.empty()) {
        why = "the job has no argument text";
        return false;
    }
    if (!passwordFile.empty() && passwordFile[0] != '/') {
        why = "the password file's path is not absolute: " + passwordFile;
        return false;
    }
    const std::string* values[] = {&job.program,           &installation.prefixPath,
                                   &installation.wineUser, &installation.codePage,
                                   &passwordFile,          &job.arguments};
    std::vector<const std::string*> all(std::begin(values), std::end(values));
    for (const auto& option : job.options) all.push_back(&option);
    for (const std::string* value : all) {
        if (carriesLineBreak(*value)) {
            why = "a value holds a line break, which a crontab line cannot carry";
            return false;
        }
    }

    const bool once = job.once || job.weekdays == 0;
    const std::string number = std::to_string(jobNumber);
    std::string command =
        cronShellWord(job.program) + " --prefix " + cronShellWord(installation.prefixPath) + " --user " +
        cronShellWord(installation.wineUser) +
        (installation.codePage.empty() ? "" : " --code-page " + cronShellWord(installation.codePage)) +
        (passwordFile.empty() ? "" : " --password-file " + cronShellWord(passwordFile));
    for (const auto& option : job.options) command += " " + cronShellWord(option);
    command += " " + cronShellWord(job.arguments);
    if (once) command += "; " + cronShellWord(job.program) + " --unschedule " + number;
    command += kMarker + number;
    if (command.size() > kMaxCronCommand) {
        why = "the job's command line is " + std::to_string(command.size()) +
              " characters long, more than cron takes (" + std::to_string(kMaxCronCommand) + ")";
        return false;
    }

    const std::string weekdays = once ? "*" : cronWeekdays(job.weekdays);
    line = std::to_string(job.startMinute % 60) + " " + std::to_string(job.startMinute / 60) + " * * " + weekdays +
           " " + command;
    return true;
}

std::optional<std::uint32_t> markedJobNumber(const std::string& line) {
    if (isCommentOrBlank(line)) return std::nullopt;
    return numberAfterMarker(line);
}

std::optional<std::uint32_t> anyMarkedJobNumber(const std::string& line) { return numberAfterMarker(line); }

// The command of a line, after its five time fields.
std::size_t commandStart(const std::string& line) {
    size_t i = 0;
    for (int field = 0; field < 5; ++field) {
        while (i < line.size() && isBlank(line[i])) ++i;
        while (i < line.size() && !isBlank(line[i])) ++i;
    }
    return i;
}

std::optional<std::vector<std::string>> jobCommandWords(const std::string& line) {
    if (!markedJobNumber(line)) return std::nullopt;
    std::vector<std::string> words;
    if (!shellWords(line.substr(commandStart(line)), words)) return std::nullopt;
    const auto end = std::find(words.begin(), words.end(), ";");
    words.erase(end, words.end());
    if (words.empty() || words[0].empty() || words[0][0] != '/') return std::nullopt;
    return words;
}

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
    job.number = *number;
    job.startMinute = *hour * 60 + *minute;
    std::uint32_t weekdays = 0;
    if (!readDayField(
            fields[2], 1, 31, [](int day) { return 1u << (day - 1); }, job.monthDays) ||
        !readDayField(
            fields[4], 0, 7, [](int day) { return day % 7 == 0 ? kSundayBit : 1u << (day - 1); }, weekdays))
        return std::nullopt;
    job.weekdays = static_cast<std::uint8_t>(weekdays);

    std::vector<std::string> words;
    if (!shellWords(line.substr(i), words)) return std::nullopt;
    // A code page given when the job was added stands after the user, the
    // password file after both.
    if (words.size() >= 8 && words[5] == "--code-page") words.erase(words.begin() + 5, words.begin() + 7);
    std::string passwordFile;
    if (words.size() >= 8 && words[5] == "--password-file") {
        passwordFile = words[6];
        if (passwordFile.empty() || passwordFile[0] != '/') return std::nullopt;
        words.erase(words.begin() + 5, words.begin() + 7);
    }
    // Program options (each word beginning with "--", or a value after one)
    // stand between these and the argument text.
    const auto semicolon = std::find(words.begin(), words.end(), ";");
    const auto commandEnd = semicolon - words.begin();
    if (commandEnd >= 7) {
        job.options.assign(words.begin() + 5, words.begin() + commandEnd - 1);
        if (job.options.front().rfind("--", 0) != 0) return std::nullopt;
        words.erase(words.begin() + 5, words.begin() + commandEnd - 1);
    }
    const bool once = words.size() == 10;
    if ((words.size() != 6 && !once) || words[1] != "--prefix" || words[3] != "--user") return std::nullopt;
    if (once && (words[6] != ";" || words[7] != words[0] || words[8] != "--unschedule" ||
                 readNumber(words[9]) != number))
        return std::nullopt;
    job.once = once;
    job.arguments = words[5];
    job.passwordFile = passwordFile;
    return job;
}

}  // namespace qm::platform::posix
