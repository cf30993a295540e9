#include "platform/Console.h"

#include <windows.h>
#include <shellapi.h>

namespace qm::platform {
namespace {

std::string utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back();
    return out;
}

}  // namespace

// main's argv is in the ANSI code page and loses what it cannot hold; the
// UTF-16 command line has every character.
std::vector<std::string> programArguments(int argc, char** argv) {
    std::vector<std::string> args;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) args.push_back(utf8(wide[i]));
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
