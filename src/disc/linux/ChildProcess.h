#pragma once
// A helper program started without a shell: its standard output read
// through a pipe, its standard error kept in a file for a failure text.
#include <sys/types.h>

#include <string>
#include <vector>

namespace qm::disc::linuxburn {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (looked up in PATH). False when it could not start.
    bool start(const std::vector<std::string>& argv, const std::string& errorFile);
    // The read end of the child's standard output; the caller may hand it on.
    int output() const { return output_; }
    int releaseOutput();
    // Ends a child that is still running.
    void kill();
    // The exit status; -1 when it was killed or never started.
    int wait();

private:
    pid_t pid_ = -1;
    int output_ = -1;
    int status_ = -1;
};

// Runs the program to its end: its standard output in `out`, its standard
// error in `errorFile` (empty: thrown away). The exit status, -1 when it
// ended otherwise; `started` is false when it could not be started at all
// (say, it is not installed).
int RunCapturing(const std::vector<std::string>& argv, std::string& out, const std::string& errorFile, bool& started);

}  // namespace qm::disc::linuxburn
