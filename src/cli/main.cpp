// Quillmark's program: the windows when it is started with nothing but the
// installation to work on, the console (see cli/Console.h) otherwise.
#include <string>

#include "cli/Console.h"

#ifdef QM_WITH_WINDOWS
#include "gui/Windows.h"

namespace {

bool windowsWanted(int argc, char** argv) {
    for (int i = 1; i < argc; i += 2) {
        const std::string a = argv[i];
        if ((a != "--prefix" && a != "--user" && a != "--code-page") || i + 1 >= argc) return false;
    }
    return true;
}

}  // namespace
#endif

int main(int argc, char** argv) {
#ifdef QM_WITH_WINDOWS
    // The argument text of a scheduled job never opens a window (nor needs a
    // display): only a start without a command does.
    if (windowsWanted(argc, argv)) return qm::gui::runWindows(argc, argv);
#endif
    return qm::cli::runConsole(argc, argv);
}
