#pragma once
// Runs a helper program to its end: text on its standard input, its output
// and error output collected.
#include <memory>
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

// Starts a program that goes on by itself (a browser), with no input and
// its output thrown away; it is not waited for. False with the reason when
// it cannot be started.
bool startDetached(const std::vector<std::string>& argv, std::string& why);

// A program started beside this one, its input and output those of
// /dev/null, and asked now and then whether it has ended.
class ChildProcess {
public:
    // Null with the reason when it cannot be started.
    static std::unique_ptr<ChildProcess> start(const std::vector<std::string>& argv, std::string& why);
    // A child that has not ended goes on by itself.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // True once it has ended, with its exit status (-1: ended by a signal).
    bool ended(int& exitStatus);

private:
    explicit ChildProcess(int pid) : pid_(pid) {}
    int pid_;
    bool ended_ = false;
    int status_ = -1;
};

}  // namespace qm::platform::posix
