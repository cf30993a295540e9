#include "jobs/RunLock.h"

namespace qm::jobs {

unsigned LockWaitSeconds(RunKind kind) { return kind == RunKind::Scheduled ? 600 : 10; }

std::unique_ptr<platform::RunLock> LockInstallation(app::Session& s, RunKind kind, JobEvents& events,
                                                    std::string& why) {
    constexpr unsigned kStepMilliseconds = 200;
    const unsigned tries = LockWaitSeconds(kind) * 1000 / kStepMilliseconds;
    std::string held;
    for (unsigned attempt = 0; attempt <= tries; ++attempt) {
        if (auto lock = s.system.lockInstallation(held)) return lock;
        if (attempt == tries || events.cancelled()) break;
        events.working();
        s.system.Sleep(kStepMilliseconds);
    }
    why = held + " (waited " + std::to_string(LockWaitSeconds(kind)) + " s); try again when it has ended";
    return nullptr;
}

}  // namespace qm::jobs
