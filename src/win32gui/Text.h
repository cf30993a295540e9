#pragma once
// Text between the core (UTF-8 at the view interfaces) and the wide Win32
// calls of the windows.
#include <windows.h>

#include <string>

namespace qm::win32gui {

std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& text);
// Line breaks as an edit box wants them: every "\n" preceded by "\r".
std::string crlf(const std::string& text);

}  // namespace qm::win32gui
