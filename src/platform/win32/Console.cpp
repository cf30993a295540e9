#include "platform/Console.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Utf16.h"

namespace qm::platform {

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
    SetConsoleOutputCP(CP_UTF8);
}

}  // namespace qm::platform
