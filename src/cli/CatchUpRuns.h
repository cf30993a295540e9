#pragma once
// The catch-up of missed scheduled runs, for --catch-up and for every
// scheduled run before its own backup.
#include <string>

#include "cli/Arguments.h"

namespace qm::cli {

// Runs, once, every job whose last start was missed (jobs/CatchUp.h) but the
// one into `ownFile`, one after the other; a made-up run that failed is told
// on the desktop by that run itself. Only one catch-up runs at a time: when
// another holds the lock (a login's beside a night's, or the run of a job a
// catch-up started) this one does nothing. With `quiet` only the made-up
// runs that went wrong are said. Answers the exit status of --catch-up: 0 when every missed job
// ran and wrote its backup (or none was missed, or another catch-up runs),
// 3 when one failed or could not be started, 1 when the jobs cannot be
// listed.
int catchUp(const Arguments& args, const std::string& ownFile, bool quiet);

}  // namespace qm::cli
