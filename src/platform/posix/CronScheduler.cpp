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

CronScheduler::CronScheduler(std::string programPath, std::string prefixPath, std::string wineUser,
                             std::vector<std::string> crontabCommand)
    : program_{std::move(programPath), std::move(prefixPath), std::move(wineUser)},
      crontab_(std::move(crontabCommand)) {
    if (crontab_.empty()) crontab_.push_back("crontab");
}

std::string CronScheduler::commandText(const std::string& argument) const {
    std::string text;
    for (const auto& word : crontab_) text += word + " ";
    return text + argument;
}

bool CronScheduler::readCrontab(std::vector<std::string>& lines, std::string& reason) const {
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
    reason = "the crontab cannot be read: " + commandText("-l") + ": " + failureOf(run);
    return false;
}

bool CronScheduler::writeCrontab(const std::vector<std::string>& lines, std::string& reason) const {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    std::vector<std::string> argv = crontab_;
    argv.push_back("-");
    ProcessResult run = runProcess(argv, text);
    if (run.started && run.exitStatus == 0) return true;
    reason = "the crontab cannot be written: " + commandText("-") + ": " + failureOf(run);
    return false;
}

JobAddResult CronScheduler::NetScheduleJobAdd(const std::string& /*serverName*/, const AtInfo& job) {
    JobAddResult result;
    std::string line;
    // Checked before the crontab is read, so a job no line can carry is
    // refused the same way whatever the crontab holds.
    if (!cronLineFor(program_, job, 1, line, result.reason)) {
        result.status = kSchedulerInvalidParameter;
        return result;
    }
    std::vector<std::string> lines;
    if (!readCrontab(lines, result.reason)) return result;

    std::uint32_t highest = 0;
    for (const auto& existing : lines)
        if (auto number = anyMarkedJobNumber(existing)) highest = std::max(highest, *number);
    const std::uint32_t number = highest + 1;
    if (!cronLineFor(program_, job, number, line, result.reason)) {
        result.status = kSchedulerInvalidParameter;
        return result;
    }
    lines.push_back(line);
    if (!writeCrontab(lines, result.reason)) return result;
    result.status = kSchedulerOk;
    result.jobNumber = number;
    return result;
}

JobListResult CronScheduler::listJobs() {
    JobListResult result;
    std::vector<std::string> lines;
    if (!readCrontab(lines, result.reason)) return result;
    for (const auto& line : lines)
        if (auto job = parseCronLine(line)) result.jobs.push_back(*job);
    std::stable_sort(result.jobs.begin(), result.jobs.end(),
                     [](const ScheduledJob& a, const ScheduledJob& b) { return a.jobNumber < b.jobNumber; });
    result.status = kSchedulerOk;
    return result;
}

SchedulerResult CronScheduler::removeJob(std::uint32_t jobNumber) {
    SchedulerResult result;
    std::vector<std::string> lines;
    if (!readCrontab(lines, result.reason)) return result;
    auto kept = lines;
    std::erase_if(kept, [jobNumber](const std::string& line) { return markedJobNumber(line) == jobNumber; });
    if (kept.size() == lines.size()) {
        result.status = kSchedulerJobNotFound;
        result.reason = "there is no scheduled job " + std::to_string(jobNumber);
        return result;
    }
    if (!writeCrontab(kept, result.reason)) return result;
    result.status = kSchedulerOk;
    return result;
}

}  // namespace qm::platform::posix
