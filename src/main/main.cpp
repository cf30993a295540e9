// Quillmark's program: the windows when it is started with nothing but the
// installation to work on, the console (see cli/Console.h) otherwise.
#include "cli/Console.h"

#ifdef QM_WITH_WINDOWS
#include "gui/Windows.h"
#endif

int main(int argc, char** argv) {
#ifdef QM_WITH_WINDOWS
    // The argument text of a scheduled job never opens a window (nor needs a
    // display): only a start without a command does.
    return qm::cli::runConsole(argc, argv, [argc, argv](const qm::platform::PlatformOptions& installation) {
        return qm::gui::runWindows(argc, argv, installation);
    });
#else
    return qm::cli::runConsole(argc, argv);
#endif
}
