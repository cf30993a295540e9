#pragma once
// Whether the console program writes to the console of the command prompt
// that started it (see Console.cpp). That prompt reads the keyboard at the
// same time, so no question can be asked there, and a progress line
// rewritten in place would run through the prompt's own line.
namespace qm::platform::win32 {

bool consoleIsBorrowed();

}  // namespace qm::platform::win32
