#pragma once
// The console program: every form of the command line (see --help).

namespace qm::cli {

// The process's arguments as main() has them; answers the exit status.
int runConsole(int argc, char** argv);

}  // namespace qm::cli
