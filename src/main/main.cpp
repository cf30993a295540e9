// Quillmark's program: the windows when it is started with nothing but the
// installation to work on, the console (see cli/Console.h) otherwise.
#include "cli/Console.h"

#if defined(QM_WITH_WINDOWS)
#include "gui/Windows.h"
#elif defined(QM_WITH_WIN32_WINDOWS)
#include "win32gui/Program.h"
#endif

int main(int argc, char** argv) {
#if defined(QM_WITH_WINDOWS)
    // The argument text of a scheduled job never opens a window (nor needs a
    // display): only a start without a command does.
    return qm::cli::runConsole(argc, argv, [argc, argv](const qm::platform::PlatformOptions& installation) {
        return qm::gui::runWindows(argc, argv, installation);
    });
#elif defined(QM_WITH_WIN32_WINDOWS)
    // On Windows the program is a windows program, so that no console
    // flashes up when Explorer, the Start menu or the scheduler starts it;
    // its console forms write to the handles they are given, or to the
    // console of the command prompt that started them (platform/Console.h).
    // A start without arguments opens the windows before any console is
    // looked for.
    if (argc <= 1) return qm::win32gui::runWindows({});
    return qm::cli::runConsole(argc, argv, [](const qm::platform::PlatformOptions& installation) {
        return qm::win32gui::runWindows(installation);
    });
#else
    return qm::cli::runConsole(argc, argv);
#endif
}
