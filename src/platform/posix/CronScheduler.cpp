#include "platform/posix/CronScheduler.h"

#include <algorithm>

#include "platform/posix/Process.h"

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

}  // namespace

CronScheduler::CronScheduler(std::string prefixPath, std::string wineUser, std::vector<std::string> crontabCommand)
    : installation_{std::move(prefixPath), std::move(wineUser)}, crontab_(std::move(crontabCommand)) {
    if (crontab_.empty()) crontab_.push_back("crontab");
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
    // Checked before the crontab is read, so a job no line can carry is
    // refused the same way whatever the crontab holds.
    if (!cronLineFor(installation_, job, 1, line, why)) return false;
    std::vector<std::string> lines;
    if (!readCrontab(lines, why)) return false;

    std::uint32_t highest = 0;
    for (const auto& existing : lines)
        if (auto marked = anyMarkedJobNumber(existing)) highest = std::max(highest, *marked);
    if (!cronLineFor(installation_, job, highest + 1, line, why)) return false;
    lines.push_back(line);
    if (!writeCrontab(lines, why)) return false;
    number = highest + 1;
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
    std::vector<std::string> lines;
    if (!readCrontab(lines, why)) return false;
    auto kept = lines;
    std::erase_if(kept, [number](const std::string& line) { return markedJobNumber(line) == number; });
    if (kept.size() == lines.size()) {
        why = "there is no scheduled job " + std::to_string(number);
        return false;
    }
    return writeCrontab(kept, why);
}

}  // namespace qm::platform::posix
