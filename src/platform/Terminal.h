#pragma once
// The console's terminal: whether a person is at the other end, and a line
// typed without echo (a password).
#include <string>

namespace qm::platform {

// Standard input is a terminal: someone can answer a question.
bool inputIsTerminal();
// Standard error is a terminal: someone watches a progress line.
bool errorIsTerminal();
// One line from standard input (without its line end) with the terminal's
// echo off meanwhile; the echo comes back afterwards, also when the program
// is interrupted. False at the end of the input.
bool readLineUnechoed(std::string& line);

}  // namespace qm::platform
