#include "platform/win32/NetScheduler.h"

#include <windows.h>
#include <lm.h>
#include <lmat.h>

#include <atomic>
#include <cstdio>
#include <cwctype>

#include "platform/AtInfo.h"
#include "platform/win32/OwnerOnly.h"
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

constexpr const char* kPasswordOption = "--password-file \"";
constexpr const char* kPasswordFilePrefix = "job-";
constexpr const char* kPasswordFileSuffix = ".password";

std::atomic<unsigned> passwordCounter{0};

// The name this scheduler gives its password files: job-<hex>.password.
bool isPasswordFileName(const std::string& path) {
    const std::string name = path.substr(path.find_last_of("\\/") + 1);
    const std::string prefix = kPasswordFilePrefix, suffix = kPasswordFileSuffix;
    return name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const wchar_t* serverOrLocal(const std::wstring& server) { return server.empty() ? nullptr : server.c_str(); }

bool sameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

class StartedProcess final : public StartedJob {
public:
    explicit StartedProcess(HANDLE process) : process_(process) {}
    ~StartedProcess() override { CloseHandle(process_); }
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;
    bool ended(int& exitStatus) override {
        if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) return false;
        DWORD code = 0;
        exitStatus = GetExitCodeProcess(process_, &code) ? static_cast<int>(code) : -1;
        return true;
    }

private:
    HANDLE process_;
};

}  // namespace

NetScheduler::NetScheduler(std::string programPath) : program_(ansiToUtf8(programPath)) {}

bool NetScheduler::keepPassword(const std::string& password, std::string& file, std::string& why) const {
    wchar_t local[MAX_PATH + 1] = {};
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        why = "the job's password cannot be kept: LOCALAPPDATA is not set";
        return false;
    }
    const std::wstring root = std::wstring(local) + L"\\Quillmark";
    const std::wstring folder = root + L"\\jobs";
    CreateDirectoryW(root.c_str(), nullptr);
    if (!makeOwnerOnlyFolder(folder)) {
        why = "the job's password cannot be kept: the folder " + utf8(folder.c_str()) + " cannot be made";
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%lx-%x%s", kPasswordFilePrefix, GetCurrentProcessId(),
                      static_cast<unsigned>(passwordCounter.fetch_add(1) ^ (GetTickCount() & 0xFFFF0000u)),
                      kPasswordFileSuffix);
        const std::wstring path = folder + L"\\" + wide(name);
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        std::string writeWhy;
        if (!writeOwnerOnlyFile(path, password + "\r\n", writeWhy)) {
            why = "the job's password cannot be kept in " + utf8(path.c_str()) + ": " + writeWhy;
            return false;
        }
        file = utf8(path.c_str());
        return true;
    }
    why = "the job's password cannot be kept: no free file name";
    return false;
}

bool NetScheduler::addJob(const JobSpec& job, std::uint32_t& number, std::string& why) {
    if (!serviceRunning(why)) return false;
    if (job.password.find_first_of("\r\n") != std::string::npos) {
        why = "the password holds a line break, which its file cannot keep";
        return false;
    }
    std::string passwordFile;
    if (!job.password.empty() && !keepPassword(job.password, passwordFile, why)) return false;
    const AtInfo made = atInfoFor(job, passwordFile);
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
        if (!passwordFile.empty()) DeleteFileW(wide(passwordFile).c_str());
        return false;
    }
    number = id;
    return true;
}

bool NetScheduler::readCommand(const std::string& command, std::string& arguments, std::string& passwordFile,
                               std::vector<std::string>* options) const {
    const std::string quoted = "\"" + program_ + "\" ";
    if (command.size() < quoted.size() || !sameTextIgnoringCase(wide(command.substr(0, quoted.size())), wide(quoted)))
        return false;
    arguments = command.substr(quoted.size());
    passwordFile.clear();
    const std::string option = kPasswordOption;
    if (arguments.compare(0, option.size(), option) == 0) {
        const std::size_t close = arguments.find("\" ", option.size());
        if (close == std::string::npos) return false;
        passwordFile = arguments.substr(option.size(), close - option.size());
        arguments = arguments.substr(close + 2);
    }
    // Program options, each with its value, before the argument text.
    if (options) options->clear();
    while (arguments.compare(0, 2, "--") == 0) {
        const std::size_t nameEnd = arguments.find(' ');
        const std::size_t valueEnd = nameEnd == std::string::npos ? nameEnd : arguments.find(' ', nameEnd + 1);
        if (valueEnd == std::string::npos) return false;
        if (options) {
            options->push_back(arguments.substr(0, nameEnd));
            options->push_back(arguments.substr(nameEnd + 1, valueEnd - nameEnd - 1));
        }
        arguments = arguments.substr(valueEnd + 1);
    }
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
        if (!readCommand(utf8(entries[i].Command), job.arguments, job.passwordFile, &job.options)) continue;
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
    const ScheduledJob* found = nullptr;
    for (const auto& job : ours)
        if (job.number == number) found = &job;
    if (!found) {
        why = "there is no job " + std::to_string(number) + " of this program";
        return false;
    }
    const NET_API_STATUS status = NetScheduleJobDel(nullptr, number, number);
    if (status == NERR_Success) {
        // Only a file of the name this scheduler gives: a job made by hand
        // may name any file.
        if (!found->passwordFile.empty() && isPasswordFileName(found->passwordFile))
            DeleteFileW(wide(found->passwordFile).c_str());
        return true;
    }
    why = "the job scheduler did not remove the job (" + std::to_string(status) + ")";
    return false;
}

std::unique_ptr<StartedJob> NetScheduler::startJobNow(std::uint32_t number, std::string& why) {
    std::vector<ScheduledJob> ours;
    if (!listJobs(ours, why)) return nullptr;
    for (const auto& job : ours) {
        if (job.number != number) continue;
        // The whole command its schedule runs: its password file and options
        // too, or a protected job run now would write an unprotected backup.
        JobSpec scheduled{program_, job.arguments};
        scheduled.options = job.options;
        std::wstring command = wide(atInfoFor(scheduled, job.passwordFile).Command);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                            &startup, &started)) {
            why = "the job's program cannot be started (" + std::to_string(GetLastError()) + ")";
            return nullptr;
        }
        CloseHandle(started.hThread);
        return std::make_unique<StartedProcess>(started.hProcess);
    }
    why = "there is no job " + std::to_string(number) + " of this program";
    return nullptr;
}

}  // namespace qm::platform::win32
