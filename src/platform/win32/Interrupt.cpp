#include "platform/Interrupt.h"

#include <windows.h>

namespace qm::platform {
namespace {

volatile LONG interrupted = 0;

// The first Ctrl+C or Ctrl+Break is noted; a second one (or closing the
// console) goes to the next handler, which ends the program.
BOOL WINAPI noteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    return InterlockedExchange(&interrupted, 1) == 0 ? TRUE : FALSE;
}

}  // namespace

InterruptWatch::InterruptWatch() {
    InterlockedExchange(&interrupted, 0);
    SetConsoleCtrlHandler(noteInterrupt, TRUE);
}

InterruptWatch::~InterruptWatch() { SetConsoleCtrlHandler(noteInterrupt, FALSE); }

bool InterruptWatch::requested() { return InterlockedCompareExchange(&interrupted, 0, 0) != 0; }

}  // namespace qm::platform
