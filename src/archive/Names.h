#pragma once
// Name rules shared by the information file and the archive: Windows
// compares names ignoring letter case, for every letter of the code page.
#include <string>

namespace qm::archive::detail {

// The ANSI text with every letter in one case, ready for comparison.
std::u16string foldCase(const std::string& ansi);
bool equalsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace qm::archive::detail
