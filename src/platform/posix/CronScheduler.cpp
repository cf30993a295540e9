#include "platform/posix/CronScheduler.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/posix/HostFile.h"
#include "platform/posix/Process.h"
#include "platform/posix/StateFolder.h"

namespace qm::platform::posix {
namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// What a failed helper said on its error output, on one line. Its standard
// output is left out: a listing carries the jobs' passwords.
std::string failureOf(const ProcessResult& run) {
    if (!run.started) return run.reason;
    std::string said = run.errors;
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) said.pop_back();
    for (char& c : said)
        if (c == '\n' || c == '\r') c = ' ';
    std::string status = run.exitStatus < 0 ? "ended by a signal" : "exit status " + std::to_string(run.exitStatus);
    return said.empty() ? status : said + " (" + status + ")";
}

class StartedCommand final : public StartedJob {
public:
    explicit StartedCommand(std::unique_ptr<ChildProcess> child) : child_(std::move(child)) {}
    bool ended(int& exitStatus) override { return child_->ended(exitStatus); }

private:
    std::unique_ptr<ChildProcess> child_;
};

// Runs editing the crontab at once wait this long for each other.
constexpr auto kLockWait = std::chrono::seconds(30);

// The crontab's lock, held while it is read, changed and written back.
class CrontabLock {
public:
    ~CrontabLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool take(const std::string& folder, int owner, std::string& why) {
        if (!makePrivateFolders(folder, why, owner)) {
            why = "the crontab cannot be locked: " + why;
            return false;
        }
        const std::string path = folder + "/crontab.lock";
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) {
            why = "the crontab cannot be locked: cannot open " + path + ": " + std::strerror(errno);
            return false;
        }
        // The crontab's user takes it later on their own.
        if (owner >= 0 && ::fchown(fd_, static_cast<uid_t>(owner), static_cast<gid_t>(-1)) != 0) {
            why = "the crontab cannot be locked: cannot give " + path + " to its user: " + std::strerror(errno);
            return false;
        }
        const auto until = std::chrono::steady_clock::now() + kLockWait;
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                why = "the crontab cannot be locked: " + path + ": " + std::strerror(errno);
                return false;
            }
            if (std::chrono::steady_clock::now() > until) {
                why = "another run of the program has been changing the crontab for " +
                      std::to_string(kLockWait.count()) + " s (" + path + " is locked); try again later";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

private:
    int fd_ = -1;
};

// The name after "-u" in the crontab's command; empty when none is given.
std::string namedUser(const std::vector<std::string>& command) {
    for (std::size_t i = 0; i + 1 < command.size(); ++i)
        if (command[i] == "-u") return command[i + 1];
    return {};
}

// Whose crontab the command reaches: the name after "-u", else the user
// running the program.
std::string crontabUser(const std::vector<std::string>& command) {
    if (const std::string named = namedUser(command); !named.empty()) return named;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
    return std::to_string(getuid());
}

std::string baseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

CronScheduler::CronScheduler(std::string prefixPath, std::string wineUser, std::vector<std::string> crontabCommand,
                             std::string stateFolder)
    : installation_{std::move(prefixPath), std::move(wineUser)},
      crontab_(std::move(crontabCommand)),
      stateFolder_(std::move(stateFolder)) {
    if (crontab_.empty()) crontab_.push_back("crontab");
    const passwd* other = namedUser(crontab_).empty() ? nullptr : getpwnam(namedUser(crontab_).c_str());
    if (other && other->pw_uid != ::geteuid()) {
        // The job runs as that user, who must read its password file: it is
        // kept in their state folder when they have a home, and given to them.
        owner_ = static_cast<int>(other->pw_uid);
        struct stat home {};
        if (stateFolder_.empty() && other->pw_dir && ::stat(other->pw_dir, &home) == 0 && S_ISDIR(home.st_mode))
            stateFolder_ = std::string(other->pw_dir) + "/.local/state/quillmark";
    }
    if (stateFolder_.empty()) stateFolder_ = posix::stateFolder();
}

std::string CronScheduler::passwordFileFor(std::uint32_t number) const {
    return stateFolder_ + "/jobs/" + crontabUser(crontab_) + "-job-" + std::to_string(number) + ".password";
}

void CronScheduler::removePasswordFile(const ScheduledJob& job) const {
    // Only a file of the name this scheduler gives the job's password: a
    // line edited by hand may name any file.
    if (job.passwordFile.empty() || baseName(job.passwordFile) != baseName(passwordFileFor(job.number))) return;
    ::unlink(job.passwordFile.c_str());
}

void CronScheduler::removeOrphanPasswordFiles(const std::vector<std::string>& lines) const {
    // A job line deleted by hand (crontab -e) leaves its password behind;
    // a commented-out line may come back and keeps its file.
    std::set<std::string> kept;
    for (const auto& line : lines)
        if (const auto number = anyMarkedJobNumber(line)) kept.insert(baseName(passwordFileFor(*number)));
    const std::string start = crontabUser(crontab_) + "-job-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(stateFolder_ + "/jobs", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(start, 0) != 0 || name.size() <= start.size() + 9 || kept.count(name)) continue;
        const std::string digits = name.substr(start.size(), name.size() - start.size() - 9);
        if (name.compare(name.size() - 9, 9, ".password") != 0 || digits.empty() ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        ::unlink(entry.path().c_str());
    }
}

std::string CronScheduler::commandText(const std::string& argument) const {
    std::string text;
    for (const auto& word : crontab_) text += word + " ";
    return text + argument;
}

bool CronScheduler::readCrontab(std::vector<std::string>& lines, std::string& why) const {
    std::vector<std::string> argv = crontab_;
    argv.push_back("-l");
    ProcessResult run = runProcess(argv, "");
    if (run.started && run.exitStatus == 0) {
        lines = splitLines(run.output);
        return true;
    }
    // A user who never had a crontab: nothing scheduled yet.
    if (run.started && run.exitStatus == 1 && run.errors.find("no crontab for ") != std::string::npos) {
        lines.clear();
        return true;
    }
    why = "the crontab cannot be read: " + commandText("-l") + ": " + failureOf(run);
    return false;
}

bool CronScheduler::writeCrontab(const std::vector<std::string>& lines, std::string& why) const {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    std::vector<std::string> argv = crontab_;
    argv.push_back("-");
    ProcessResult run = runProcess(argv, text);
    if (run.started && run.exitStatus == 0) return true;
    why = "the crontab cannot be written: " + commandText("-") + ": " + failureOf(run);
    return false;
}

bool CronScheduler::addJob(const JobSpec& job, std::uint32_t& number, std::string& why) {
    std::string line;
    const std::string passwordFile = job.password.empty() ? std::string() : passwordFileFor(0);
    // Checked before the crontab is read, so a job no line can carry is
    // refused the same way whatever the crontab holds.
    if (!cronLineFor(installation_, job, 1, passwordFile, line, why)) return false;
    if (job.password.find_first_of("\r\n") != std::string::npos) {
        why = "the password holds a line break, which its file cannot keep";
        return false;
    }
    CrontabLock lock;
    if (!lock.take(stateFolder_, owner_, why)) return false;
    std::vector<std::string> lines;
    if (!readCrontab(lines, why)) return false;
    removeOrphanPasswordFiles(lines);

    std::uint32_t highest = 0;
    for (const auto& existing : lines)
        if (auto marked = anyMarkedJobNumber(existing)) highest = std::max(highest, *marked);
    const std::uint32_t next = highest + 1;
    const std::string file = job.password.empty() ? std::string() : passwordFileFor(next);
    if (!cronLineFor(installation_, job, next, file, line, why)) return false;
    if (!file.empty()) {
        std::string folderWhy, writeError;
        if (!makePrivateFolders(stateFolder_ + "/jobs", folderWhy, owner_)) {
            why = "the job's password cannot be kept: " + folderWhy;
            return false;
        }
        // A file of that name left by a job removed by hand goes first, so
        // that the new one has no other mode than 0600.
        ::unlink(file.c_str());
        if (!writeWholeAtomically(file, job.password + "\n", writeError)) {
            why = "the job's password cannot be kept in " + file + ": " + writeError;
            return false;
        }
        if (owner_ >= 0 && ::chown(file.c_str(), static_cast<uid_t>(owner_), static_cast<gid_t>(-1)) != 0) {
            why = "the job's password file " + file + " cannot be given to its user: " + std::strerror(errno);
            ::unlink(file.c_str());
            return false;
        }
    }
    lines.push_back(line);
    if (!writeCrontab(lines, why)) {
        if (!file.empty()) ::unlink(file.c_str());
        return false;
    }
    number = next;
    return true;
}

bool CronScheduler::listJobs(std::vector<ScheduledJob>& jobs, std::string& why) {
    std::vector<std::string> lines;
    if (!readCrontab(lines, why)) return false;
    jobs.clear();
    for (const auto& line : lines)
        if (auto job = parseCronLine(line)) jobs.push_back(*job);
    std::stable_sort(jobs.begin(), jobs.end(),
                     [](const ScheduledJob& a, const ScheduledJob& b) { return a.number < b.number; });
    return true;
}

bool CronScheduler::removeJob(std::uint32_t number, std::string& why) {
    CrontabLock lock;
    if (!lock.take(stateFolder_, owner_, why)) return false;
    std::vector<std::string> lines;
    if (!readCrontab(lines, why)) return false;
    // Only the lines --jobs lists: a line of the user's own that merely ends
    // with the same comment stays.
    std::vector<std::string> kept;
    std::vector<ScheduledJob> removed;
    for (const auto& line : lines) {
        const auto job = parseCronLine(line);
        if (job && job->number == number)
            removed.push_back(*job);
        else
            kept.push_back(line);
    }
    if (removed.empty()) {
        why = "there is no scheduled job " + std::to_string(number);
        return false;
    }
    if (!writeCrontab(kept, why)) return false;
    for (const auto& job : removed) removePasswordFile(job);
    return true;
}

std::unique_ptr<StartedJob> CronScheduler::startJobNow(std::uint32_t number, std::string& why) {
    std::vector<std::string> lines;
    if (!readCrontab(lines, why)) return nullptr;
    for (const auto& line : lines) {
        if (markedJobNumber(line) != number) continue;
        const auto words = jobCommandWords(line);
        if (!words) {
            why = "scheduled job " + std::to_string(number) + " no longer reads as one of this program's";
            return nullptr;
        }
        auto child = ChildProcess::start(*words, why);
        if (!child) return nullptr;
        return std::make_unique<StartedCommand>(std::move(child));
    }
    why = "there is no scheduled job " + std::to_string(number);
    return nullptr;
}

}  // namespace qm::platform::posix
