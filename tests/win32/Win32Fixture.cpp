#include "win32/Win32Fixture.h"

#include <windows.h>

#include <filesystem>

#include "platform/OpenPlatform.h"

namespace qm::test {

void Win32Test::SetUp() {
    std::string error;
    ASSERT_TRUE(platform::openPlatform({}, platform, error)) << error;
}

std::string Win32Test::folder() const { return std::filesystem::path(dir.path()).make_preferred().string(); }

std::string Win32Test::env(const std::string& name) {
    char buffer[32768];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

bool startScheduleService(std::string& error) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) {
        error = "no service manager: " + std::to_string(GetLastError());
        return false;
    }
    SC_HANDLE service = OpenServiceA(manager, "Schedule", SERVICE_START | SERVICE_QUERY_STATUS);
    bool ok = false;
    if (!service) {
        error = "no Schedule service: " + std::to_string(GetLastError());
    } else {
        SERVICE_STATUS status{};
        if (StartServiceA(service, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
            for (int i = 0; i < 100 && QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_RUNNING; ++i)
                Sleep(100);
            ok = status.dwCurrentState == SERVICE_RUNNING;
            if (!ok) error = "the Schedule service did not start";
        } else {
            error = "StartService: " + std::to_string(GetLastError());
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return ok;
}

bool stopScheduleService() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = OpenServiceA(manager, "Schedule", SERVICE_STOP | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    bool stopped = false;
    if (service) {
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        for (int i = 0; i < 100 && QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED; ++i)
            Sleep(100);
        stopped = status.dwCurrentState == SERVICE_STOPPED;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return stopped;
}

}  // namespace qm::test
