// The console of Windows: whether a console is at either end, and a line
// read with the console's echo off.
#include "platform/Terminal.h"

#include <windows.h>

#include <iostream>

#include "platform/win32/BorrowedConsole.h"

namespace qm::platform {
namespace {

bool isConsole(DWORD which) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

HANDLE echoInput = nullptr;
DWORD echoMode = 0;

// Ctrl+C while the echo is off would leave the console blind: the echo
// comes back, then the default handling ends the program.
BOOL WINAPI restoreEcho(DWORD) {
    if (echoInput) SetConsoleMode(echoInput, echoMode);
    return FALSE;
}

}  // namespace

bool inputIsTerminal() { return !win32::consoleIsBorrowed() && isConsole(STD_INPUT_HANDLE); }

bool errorIsTerminal() { return !win32::consoleIsBorrowed() && isConsole(STD_ERROR_HANDLE); }

bool readLineUnechoed(std::string& line) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    const bool console = GetConsoleMode(in, &mode) != 0;
    if (console) {
        echoInput = in;
        echoMode = mode;
        SetConsoleCtrlHandler(restoreEcho, TRUE);
        SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    }
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (console) {
        SetConsoleMode(in, mode);
        SetConsoleCtrlHandler(restoreEcho, FALSE);
        echoInput = nullptr;
        std::cerr << '\n';  // the Enter key was not shown
    }
    if (read && !line.empty() && line.back() == '\r') line.pop_back();
    return read;
}

}  // namespace qm::platform
