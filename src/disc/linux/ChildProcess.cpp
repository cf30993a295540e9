#include "disc/linux/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace qm::disc::linuxburn {

ChildProcess::~ChildProcess() {
    kill();
    wait();
    if (output_ >= 0) ::close(output_);
}

bool ChildProcess::start(const std::vector<std::string>& argv, const std::string& errorFile) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.empty() ? "/dev/null" : errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = ::posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        pid_ = -1;
        return false;
    }
    output_ = pipeFds[0];
    return true;
}

int ChildProcess::releaseOutput() {
    const int fd = output_;
    output_ = -1;
    return fd;
}

void ChildProcess::kill() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
}

int ChildProcess::wait() {
    if (pid_ <= 0) return status_;
    int raw = 0;
    pid_t r;
    do r = ::waitpid(pid_, &raw, 0);
    while (r < 0 && errno == EINTR);
    pid_ = -1;
    status_ = (r > 0 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
    return status_;
}

int RunCapturing(const std::vector<std::string>& argv, std::string& out, const std::string& errorFile, bool& started) {
    ChildProcess child;
    started = child.start(argv, errorFile);
    if (!started) return -1;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(child.output(), buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return child.wait();
}

}  // namespace qm::disc::linuxburn
