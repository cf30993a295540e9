#include "frontend/ExitStatus.h"

#include <algorithm>

namespace qm::frontend {
namespace {

using Parts = std::array<jobs::PartResult, items::kPartCount>;

bool anyFailed(const Parts& parts) {
    return std::any_of(parts.begin(), parts.end(), [](const jobs::PartResult& r) { return r.ran && !r.ok; });
}

}  // namespace

int ExitStatusOf(const jobs::BackupReport& report) {
    if (!report.written) return kExitFailed;
    // Written, but not where or not with the versions asked for.
    // An earlier backup held for a damaged source is news the user must
    // hear (a scheduled run's notification, the job list): not "all done".
    return anyFailed(report.parts) || !report.versionFailure.empty() || !report.keptBecause.empty() ? kExitPartsFailed
                                                                                                    : kExitDone;
}

int ExitStatusOf(const jobs::RestoreReport& report) {
    const bool anyDone =
        std::any_of(report.parts.begin(), report.parts.end(), [](const jobs::PartResult& r) { return r.ran && r.ok; });
    if (!anyDone) return kExitFailed;
    return anyFailed(report.parts) ? kExitPartsFailed : kExitDone;
}

}  // namespace qm::frontend
