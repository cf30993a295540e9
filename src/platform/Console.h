#pragma once
// The console program's side of the operating system: its arguments as
// UTF-8, whatever the system hands over, and output shown as UTF-8.
#include <string>
#include <vector>

namespace qm::platform {

// The arguments after the program's own path.
std::vector<std::string> programArguments(int argc, char** argv);
// Makes text written to stdout and stderr appear as the UTF-8 it is.
void useUtf8Console();

}  // namespace qm::platform
