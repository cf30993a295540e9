#include "platform/win32/NetScheduler.h"

#include <windows.h>
#include <lm.h>
#include <lmat.h>

#include <cwctype>

#include "platform/AtInfo.h"
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

bool NetScheduler::addJob(const JobSpec& job, std::uint32_t& number, std::string& why) {
    if (!serviceRunning(why)) return false;
    const AtInfo made = atInfoFor(job);
    std::wstring command = wide(made.Command);
    // The computer's own name, as start-up finds it.
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    const std::wstring server = GetComputerNameA(name, &size) ? wide(ansiToUtf8(std::string(name, size))) : L"";
    AT_INFO record{};
    record.JobTime = made.JobTime;
    record.DaysOfMonth = made.DaysOfMonth;
    record.DaysOfWeek = made.DaysOfWeek;
    record.Flags = made.Flags;
    record.Command = command.data();
    DWORD id = 0;
    const NET_API_STATUS status = ::NetScheduleJobAdd(serverOrLocal(server), reinterpret_cast<LPBYTE>(&record), &id);
    if (status != NERR_Success) {
        why = "the job scheduler refused the job (" + std::to_string(status) + ")";
        return false;
    }
    number = id;
    return true;
}

bool NetScheduler::readCommand(const std::string& command, std::string& arguments) const {
    const std::string quoted = "\"" + program_ + "\" ";
    if (command.size() < quoted.size() || !sameTextIgnoringCase(wide(command.substr(0, quoted.size())), wide(quoted)))
        return false;
    arguments = command.substr(quoted.size());
    return true;
}

bool NetScheduler::listJobs(std::vector<ScheduledJob>& jobs, std::string& why) {
    if (!serviceRunning(why)) return false;
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0, resume = 0;
    const NET_API_STATUS status = NetScheduleJobEnum(nullptr, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
    if (status != NERR_Success) {
        why = "the job scheduler cannot list its jobs (" + std::to_string(status) + ")";
        if (buffer) NetApiBufferFree(buffer);
        return false;
    }
    jobs.clear();
    const auto* entries = reinterpret_cast<const AT_ENUM*>(buffer);
    for (DWORD i = 0; i < read; ++i) {
        ScheduledJob job;
        if (!readCommand(utf8(entries[i].Command), job.arguments)) continue;
        job.number = entries[i].JobId;
        job.startMinute = static_cast<std::uint32_t>(entries[i].JobTime / 60000);
        job.monthDays = entries[i].DaysOfMonth;
        job.weekdays = entries[i].DaysOfWeek;
        job.once = !(entries[i].Flags & kJobRunPeriodically) || (job.monthDays == 0 && job.weekdays == 0);
        jobs.push_back(job);
    }
    if (buffer) NetApiBufferFree(buffer);
    return true;
}

bool NetScheduler::removeJob(std::uint32_t number, std::string& why) {
    std::vector<ScheduledJob> ours;
    if (!listJobs(ours, why)) return false;
    bool found = false;
    for (const auto& job : ours) found = found || job.number == number;
    if (!found) {
        why = "there is no job " + std::to_string(number) + " of this program";
        return false;
    }
    const NET_API_STATUS status = NetScheduleJobDel(nullptr, number, number);
    if (status == NERR_Success) return true;
    why = "the job scheduler did not remove the job (" + std::to_string(status) + ")";
    return false;
}

}  // namespace qm::platform::win32
