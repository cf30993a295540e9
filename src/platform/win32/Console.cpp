#include "platform/Console.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/BorrowedConsole.h"
#include "platform/win32/Utf16.h"

namespace qm::platform {
namespace {

bool borrowed = false;
UINT givenCodePage = 0;

bool usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The program is a windows program: started from Explorer or by the
// scheduler it gets no console, so none flashes up. Started from a command
// prompt it gets no handles either; its output then goes to the prompt's
// console. Handles it was given (pipes, files) stay as they are.
void reachConsole() {
    if (GetConsoleWindow()) return;  // a console of its own
    const bool input = usable(GetStdHandle(STD_INPUT_HANDLE));
    const bool output = usable(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool error = usable(GetStdHandle(STD_ERROR_HANDLE));
    if (output && error) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;  // nobody reads: its exit status tells
    borrowed = true;
    FILE* reopened = nullptr;
    if (!output && freopen_s(&reopened, "CONOUT$", "w", stdout) == 0)
        SetStdHandle(STD_OUTPUT_HANDLE, CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
    if (!error && freopen_s(&reopened, "CONOUT$", "w", stderr) == 0)
        SetStdHandle(STD_ERROR_HANDLE, CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
    if (!input) freopen_s(&reopened, "CONIN$", "r", stdin);
    // The prompt has been written again already: begin below it.
    std::fputs("\n", !error ? stderr : stdout);
}

// The console belongs to the command prompt too: its code page goes back
// as it was, after the last output.
void giveCodePageBack() {
    std::fflush(nullptr);
    if (givenCodePage) SetConsoleOutputCP(givenCodePage);
}

}  // namespace

namespace win32 {
bool consoleIsBorrowed() { return borrowed; }
}  // namespace win32

// main's argv is in the ANSI code page and loses what it cannot hold; the
// UTF-16 command line has every character.
std::vector<std::string> programArguments(int argc, char** argv) {
    std::vector<std::string> args;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) args.push_back(win32::utf8(wide[i]));
        LocalFree(wide);
        return args;
    }
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

void useUtf8Console() {
    reachConsole();
    const UINT before = GetConsoleOutputCP();
    if (before == 0 || before == CP_UTF8) return;
    if (!SetConsoleOutputCP(CP_UTF8)) return;
    givenCodePage = before;
    std::atexit(giveCodePageBack);
}

}  // namespace qm::platform
