#include "platform/win32/NetScheduler.h"

#include <windows.h>
#include <lm.h>
#include <lmat.h>

#include <cwctype>

#include "platform/win32/Utf16.h"

namespace qm::platform::win32 {
namespace {

constexpr const char* kServiceName = "Schedule";

std::string ansiToUtf8(const std::string& ansi) {
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), n);
    return utf8(w.c_str());
}

// The scheduler's RPC service must run, or the call does not come back
// with a status (Wine raises an exception). Windows runs it always.
bool serviceRunning(std::string& reason) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) {
        reason = "the service manager cannot be reached (" + std::to_string(GetLastError()) + ")";
        return false;
    }
    SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    const bool running = service && QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    if (!running) reason = "the Task Scheduler service (\"Schedule\") is not running";
    return running;
}

const wchar_t* serverOrLocal(const std::wstring& server) { return server.empty() ? nullptr : server.c_str(); }

bool sameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

}  // namespace

NetScheduler::NetScheduler(std::string programPath) : program_(ansiToUtf8(programPath)) {}

JobAddResult NetScheduler::NetScheduleJobAdd(const std::string& serverName, const AtInfo& job) {
    JobAddResult result;
    if (!serviceRunning(result.reason)) {
        result.status = ERROR_SERVICE_NOT_ACTIVE;
        return result;
    }
    std::wstring command = wide(job.Command);
    const std::wstring server = wide(serverName);
    AT_INFO record{};
    record.JobTime = job.JobTime;
    record.DaysOfMonth = job.DaysOfMonth;
    record.DaysOfWeek = job.DaysOfWeek;
    record.Flags = job.Flags;
    record.Command = command.data();
    DWORD id = 0;
    const NET_API_STATUS status =
        ::NetScheduleJobAdd(serverOrLocal(server), reinterpret_cast<LPBYTE>(&record), &id);
    result.status = status;
    if (status == NERR_Success)
        result.jobNumber = id;
    else
        result.reason = "the job scheduler refused the job (" + std::to_string(status) + ")";
    return result;
}

bool NetScheduler::readCommand(const std::string& command, ScheduledJob& job) const {
    const std::string quoted = "\"" + program_ + "\" ";
    if (command.size() < quoted.size() || !sameTextIgnoringCase(wide(command.substr(0, quoted.size())), wide(quoted)))
        return false;
    // Pieces between "=" signs; all but the last lose the next key's name.
    std::vector<std::string> pieces;
    const std::string text = command.substr(quoted.size());
    std::size_t start = 0;
    for (;;) {
        const auto eq = text.find('=', start);
        pieces.push_back(text.substr(start, eq == std::string::npos ? std::string::npos : eq - start));
        if (eq == std::string::npos) break;
        start = eq + 1;
    }
    if (pieces.size() < 5) return false;
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i)
        pieces[i] = pieces[i].size() >= 2 ? pieces[i].substr(0, pieces[i].size() - 2) : std::string();
    job.profile = pieces[1];
    job.itemDigits = pieces[2];
    job.hasPassword = !pieces[3].empty();
    job.targetFile = pieces[4];
    return true;
}

JobListResult NetScheduler::listJobs() {
    JobListResult result;
    if (!serviceRunning(result.reason)) {
        result.status = ERROR_SERVICE_NOT_ACTIVE;
        return result;
    }
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0, resume = 0;
    const NET_API_STATUS status = NetScheduleJobEnum(nullptr, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
    if (status != NERR_Success) {
        result.status = status;
        result.reason = "the job scheduler cannot list its jobs (" + std::to_string(status) + ")";
        if (buffer) NetApiBufferFree(buffer);
        return result;
    }
    const auto* entries = reinterpret_cast<const AT_ENUM*>(buffer);
    for (DWORD i = 0; i < read; ++i) {
        ScheduledJob job;
        if (!readCommand(utf8(entries[i].Command), job)) continue;
        job.jobNumber = entries[i].JobId;
        job.JobTime = static_cast<std::uint32_t>(entries[i].JobTime);
        job.DaysOfMonth = entries[i].DaysOfMonth;
        job.DaysOfWeek = entries[i].DaysOfWeek;
        job.Flags = entries[i].Flags;
        result.jobs.push_back(job);
    }
    if (buffer) NetApiBufferFree(buffer);
    result.status = kSchedulerOk;
    return result;
}

SchedulerResult NetScheduler::removeJob(std::uint32_t jobNumber) {
    SchedulerResult result;
    const JobListResult ours = listJobs();
    if (ours.status != kSchedulerOk) {
        result.status = ours.status;
        result.reason = ours.reason;
        return result;
    }
    bool found = false;
    for (const auto& job : ours.jobs) found = found || job.jobNumber == jobNumber;
    if (!found) {
        result.status = kSchedulerJobNotFound;
        result.reason = "there is no job " + std::to_string(jobNumber) + " of this program";
        return result;
    }
    const NET_API_STATUS status = NetScheduleJobDel(nullptr, jobNumber, jobNumber);
    result.status = status;
    if (status != NERR_Success) result.reason = "the job scheduler did not remove the job (" + std::to_string(status) + ")";
    return result;
}

}  // namespace qm::platform::win32
