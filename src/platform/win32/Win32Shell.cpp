#include "platform/win32/Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/OpenShell.h"

namespace qm::platform::win32 {
namespace {

// ShellExecuteA answers a number above 32 when it started something.
bool started(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; }

}  // namespace

bool Win32Shell::openFolder(const std::string& folder) {
    // A missing folder would open some other window; say so instead.
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return started(ShellExecuteA(nullptr, "open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool Win32Shell::openWebPage(const std::string& address) {
    // Only web addresses: anything else would be run as a program.
    if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) return false;
    return started(ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool Win32Shell::openHelp(const std::string& helpFile) {
    const std::string file = helpFile.substr(0, helpFile.find("::"));
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    // hh.exe shows compiled help; a web page opens in the browser the
    // desktop opens such a page with.
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || lstrcmpiA(file.c_str() + dot, ".chm") != 0) return openDocument(file);
    const std::string argument = "\"" + helpFile + "\"";
    return started(ShellExecuteA(nullptr, "open", "hh.exe", argument.c_str(), nullptr, SW_SHOWNORMAL));
}

bool Win32Shell::openDocument(const std::string& file) {
    // Only a file that is there: anything else could name a program.
    const DWORD attributes = GetFileAttributesA(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return started(ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

}  // namespace qm::platform::win32

namespace qm::platform {

std::unique_ptr<Shell> openShell() { return std::make_unique<win32::Win32Shell>(); }

}  // namespace qm::platform
