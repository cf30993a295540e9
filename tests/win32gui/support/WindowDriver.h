#pragma once
// A user's hand on the native windows: controls found by id, clicked,
// chosen and typed into as the mouse and the keyboard do it. For the tests
// and for the program that drives the main window in the end-to-end runs.
#include <windows.h>

#include <string>
#include <vector>

namespace qm::test {

// Controls of any window, by id.
HWND controlOf(HWND root, int id);
std::string textOf(HWND control);
bool isCheckedBox(HWND control);
// A click as the mouse gives it; false (and nothing happens) on a control
// that is disabled or not shown.
bool clickOn(HWND control);
// A combo box's entry picked as the user picks it; false when it has none
// of that text.
bool chooseIn(HWND combo, const std::string& entry);
// Keys typed into a box, one character after the other (limits apply).
void typeInto(HWND box, const std::string& text);
std::vector<std::string> comboEntries(HWND combo);
// Lets the windows' messages run.
void pumpMessages();

}  // namespace qm::test
