#include "platform/posix/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace qm::platform::posix {
namespace {

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int* out() { return &fd_; }

private:
    int fd_ = -1;
};

std::string errnoText(const std::string& what, int error) { return what + ": " + std::strerror(error); }

bool makePipe(Fd& readEnd, Fd& writeEnd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    *readEnd.out() = fds[0];
    *writeEnd.out() = fds[1];
    return true;
}

// The child's standard input is a socket, so writing to a child that has
// stopped reading fails with EPIPE instead of raising SIGPIPE in this
// process (send with MSG_NOSIGNAL).
bool makeInputChannel(Fd& parentEnd, Fd& childEnd) {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
    *parentEnd.out() = fds[0];
    *childEnd.out() = fds[1];
    shutdown(fds[0], SHUT_RD);
    shutdown(fds[1], SHUT_WR);
    return true;
}

bool readSome(Fd& fd, std::string& into) {
    char buffer[4096];
    ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n > 0) {
        into.append(buffer, static_cast<size_t>(n));
        return true;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    fd.close();
    return false;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input) {
    ProcessResult result;
    if (argv.empty()) {
        result.reason = "no program given";
        return result;
    }
    Fd inParent, inChild, outRead, outWrite, errRead, errWrite;
    if (!makeInputChannel(inParent, inChild) || !makePipe(outRead, outWrite) || !makePipe(errRead, errWrite)) {
        result.reason = errnoText("cannot make pipes", errno);
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inChild.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outWrite.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errWrite.get(), STDERR_FILENO);

    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = -1;
    int spawnError = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    inChild.close();
    outWrite.close();
    errWrite.close();
    if (spawnError != 0) {
        result.reason = errnoText("cannot start " + argv[0], spawnError);
        return result;
    }
    result.started = true;

    size_t sent = 0;
    if (input.empty()) inParent.close();
    while (inParent.get() >= 0 || outRead.get() >= 0 || errRead.get() >= 0) {
        pollfd fds[3] = {{inParent.get(), POLLOUT, 0}, {outRead.get(), POLLIN, 0}, {errRead.get(), POLLIN, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) {
            ssize_t n = send(inParent.get(), input.data() + sent, input.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) sent += static_cast<size_t>(n);
            // A child that reads no further simply gets no more.
            if ((n < 0 && errno != EINTR && errno != EAGAIN) || sent == input.size()) inParent.close();
        }
        if (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) readSome(outRead, result.output);
        if (fds[2].revents & (POLLIN | POLLERR | POLLHUP)) readSome(errRead, result.errors);
    }

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            result.reason = errnoText("cannot wait for " + argv[0], errno);
            return result;
        }
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool startDetached(const std::vector<std::string>& argv, std::string& why) {
    if (argv.empty()) {
        why = "no program given";
        return false;
    }
    // The shell puts it in the background and ends at once; the program
    // then belongs to no one here and is never waited for.
    std::vector<std::string> shell{"/bin/sh", "-c", "\"$@\" </dev/null >/dev/null 2>&1 &", "sh"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    const ProcessResult run = runProcess(shell, "");
    if (run.started && run.exitStatus == 0) return true;
    why = run.started ? "cannot start " + argv[0] : run.reason;
    return false;
}

std::unique_ptr<ChildProcess> ChildProcess::start(const std::vector<std::string>& argv, std::string& why) {
    if (argv.empty()) {
        why = "no program given";
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawnError = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) {
        why = errnoText("cannot start " + argv[0], spawnError);
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() {
    int status = 0;
    if (!ended_) waitpid(pid_, &status, WNOHANG);
}

bool ChildProcess::ended(int& exitStatus) {
    if (!ended_) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            ended_ = true;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        } else if (done < 0 && errno != EINTR) {
            ended_ = true;  // no longer ours to wait for
        }
    }
    if (ended_) exitStatus = status_;
    return ended_;
}

}  // namespace qm::platform::posix
