#pragma once
// The program with its windows: start-up (splash, main window), the event
// loop, and the end.
namespace qm::gui {

// Arguments: --prefix DIR and --user NAME, as the console takes them.
int runWindows(int argc, char** argv);

}  // namespace qm::gui
