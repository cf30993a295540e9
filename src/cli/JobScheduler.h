#pragma once
// The scheduler the job forms work with: the one of this build, for the
// installation the options name. QUILLMARK_CRONTAB_USER, when set, names
// whose crontab it uses (the tests aim it at a user of their own).
#include <memory>

#include "cli/Arguments.h"
#include "platform/Scheduler.h"

namespace qm::cli {

// Null (the reason said on standard error) when there is none.
std::unique_ptr<platform::Scheduler> openJobScheduler(const Arguments& args);

}  // namespace qm::cli
