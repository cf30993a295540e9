#pragma once
// How cron turns a crontab line into the command it runs.
#include <string>

namespace qm::test {

// The command cron hands to /bin/sh: an unescaped "%" ends it (the rest is
// standard input), "\%" is a "%", other backslashes stay.
inline std::string commandAsCronRunsIt(const std::string& line) {
    std::size_t i = 0;
    for (int field = 0; field < 5; ++field) i = line.find_first_of(" \t", line.find_first_not_of(" \t", i));
    i = line.find_first_not_of(" \t", i);
    std::string command;
    bool escaped = false;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (escaped) {
            escaped = false;
            if (c == '%') command.pop_back();
        } else if (c == '%') {
            break;
        } else if (c == '\\') {
            escaped = true;
        }
        command += c;
    }
    return command;
}

}  // namespace qm::test
