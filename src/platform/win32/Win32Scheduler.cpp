// The jobs of this Windows live in its job scheduler; each starts this very
// program with the job's argument text.
#include <windows.h>

#include "platform/OpenPlatform.h"
#include "platform/OpenScheduler.h"
#include "platform/win32/NetScheduler.h"

namespace qm::platform {

std::string programPath() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(path, n);
}

std::unique_ptr<Scheduler> openScheduler(const SchedulerOptions& /*options*/, std::string& error) {
    const std::string program = programPath();
    if (program.empty()) {
        error = "the program cannot tell its own path, which the jobs need";
        return nullptr;
    }
    return std::make_unique<win32::NetScheduler>(program);
}

}  // namespace qm::platform
