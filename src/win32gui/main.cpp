// Quillmark's program on Windows: the windows when it is started without
// arguments (from the Start menu or Explorer), the console (see
// cli/Console.h) for every other start: a command typed or scripted, and
// the argument text of a scheduled job, which never opens a window.
//
// It is built as a windows program, so that no console window flashes up
// when it is started from Explorer or by the scheduler; the console forms
// write to the standard handles they are given (pipes and files) or to
// the console of the command prompt that started them (see
// platform/Console.h).
#include "cli/Console.h"
#include "win32gui/Program.h"

int main(int argc, char** argv) {
    if (argc <= 1) return qm::win32gui::runWindows();
    return qm::cli::runConsole(argc, argv);
}
