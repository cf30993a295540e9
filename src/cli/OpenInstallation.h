#pragma once
// The console's opening of an installation and of the job scheduler: the
// reason a failure has is said on standard error.
#include <memory>

#include "cli/Arguments.h"
#include "frontend/Installation.h"

namespace qm::cli {

// False (the reason said) when the installation or a work folder cannot be
// used. With `learn` the installation is opened to work on (its user must be
// one of its users) and what start-up learns is learnt; a missing Outlook
// is said too, but is no failure: the forms refuse what needs a profile;
// and so is a new Outlook switched on, which does not read the profiles the
// program works on.
bool openInstallation(const Arguments& args, bool learn, frontend::Installation& installation);

// Null (the reason said) when there is none.
std::unique_ptr<platform::Scheduler> openJobScheduler(const Arguments& args);

}  // namespace qm::cli
