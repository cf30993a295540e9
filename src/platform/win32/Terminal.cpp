#include "platform/Terminal.h"

#include <windows.h>
#include <io.h>

#include <iostream>

namespace qm::platform {
namespace {

// The console's echo is restored whatever ends the program meanwhile.
DWORD savedMode = 0;
HANDLE savedInput = nullptr;

BOOL WINAPI restoreEcho(DWORD /*event*/) {
    if (savedInput) SetConsoleMode(savedInput, savedMode);
    return FALSE;  // then the default handling ends the program
}

}  // namespace

bool inputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

bool errorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool readLineUnechoed(std::string& line) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    const bool console = input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode);
    if (console) {
        savedMode = mode;
        savedInput = input;
        SetConsoleCtrlHandler(restoreEcho, TRUE);
        SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    }
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (console) {
        SetConsoleMode(input, mode);
        SetConsoleCtrlHandler(restoreEcho, FALSE);
        savedInput = nullptr;
        std::cerr << '\n';  // the Enter key that was not echoed
    }
    if (read && !line.empty() && line.back() == '\r') line.pop_back();
    return read;
}

}  // namespace qm::platform
