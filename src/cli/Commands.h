#pragma once
// One function per form of the command line; each answers the exit status.
#include "cli/Arguments.h"

namespace qm::cli {

int runUnattended(const Arguments& args);
int runList(const Arguments& args);
int runProfiles(const Arguments& args);
int runBackup(const Arguments& args);
int runRestore(const Arguments& args);
int runSchedule(const Arguments& args);
int runJobs(const Arguments& args);
int runUnschedule(const Arguments& args);
int runCatchUp(const Arguments& args);

}  // namespace qm::cli
