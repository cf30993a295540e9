#pragma once
// Questions asked on the terminal: a y/N confirmation and a password.
// Both are asked on standard error and read from standard input.
#include <optional>
#include <string>

namespace qm::cli {

// The question, then " [y/N] "; true only for "y" or "yes" (letter case
// ignored). False at the end of the input.
bool confirm(const std::string& question);
// The label, then the password read without echo; nothing at the end of
// the input.
std::optional<std::string> askPassword(const std::string& label);

}  // namespace qm::cli
