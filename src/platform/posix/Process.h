#pragma once
// Runs a helper program to its end: text on its standard input, its output
// and error output collected.
#include <string>
#include <vector>

namespace qm::platform::posix {

struct ProcessResult {
    bool started = false;  // false when the program could not be started
    int exitStatus = -1;   // -1 when a signal ended it
    std::string output;
    std::string errors;
    std::string reason;  // why it could not be started
};

// argv[0] is looked up in PATH unless it holds a "/". The program inherits
// the environment; `input` is its whole standard input.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input);

}  // namespace qm::platform::posix
