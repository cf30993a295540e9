#pragma once
// The windows' event loop: the main window's shortcuts, the keyboard of
// every dialog (Tab, Enter, Esc), and the yielding a run does while it
// works on the window's thread.
#include <windows.h>

namespace qm::win32gui {

// The window whose shortcuts (accelerator table) apply while it or one of
// its children has the message.
void setShortcutWindow(HWND window, HACCEL shortcuts);

// Runs until the program quits; answers the exit status.
int runMessageLoop();
// Lets the messages that wait run once, and returns at once (never
// sleeps). A quit asked meanwhile is kept for the loop above.
void runPendingMessages();
// True once the program was asked to quit.
bool quitAsked();

}  // namespace qm::win32gui
