#include "platform/Console.h"

namespace qm::platform {

// The arguments arrive as the terminal's UTF-8 already.
std::vector<std::string> programArguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

void useUtf8Console() {}

}  // namespace qm::platform
