#pragma once
// Small text rules every layer applies the same way.
#include <string>
#include <vector>

namespace qm::base {

// Without leading and trailing blanks (spaces only, as the system trims).
std::string trimBlanks(const std::string& text);
// Up to the first zero character.
std::string cutAtZero(const std::string& text);
std::string replaceAll(std::string text, const std::string& from, const std::string& to);
// The pieces between separators; an empty text gives one empty piece.
std::vector<std::string> split(const std::string& text, char separator);
// A value as a message names it: in double quotation marks when it is empty
// or begins or ends with a blank or a tab, which would not be seen
// otherwise ("Outlook " is no profile, and must not read as Outlook).
std::string shownValue(const std::string& value);
// ASCII letters only; for fixed names such as keys of our own.
bool equalsIgnoreAsciiCase(const std::string& a, const std::string& b);

}  // namespace qm::base
