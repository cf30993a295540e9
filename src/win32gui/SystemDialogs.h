#pragma once
// The system's own modal windows the program shows: message boxes (caption
// "Quillmark"), the common open and save dialogs, and a pop-up menu. Tests
// answer them through the hooks below instead, so nothing waits on a user;
// every message asked is kept for them to read.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/MessageView.h"

namespace qm::win32gui {

class SystemDialogs {
public:
    static app::Answer message(HWND owner, const std::string& text, app::Icon icon, app::Buttons buttons);
    // Empty when cancelled. `filter` is "Name (*.x)|*.x".
    static std::string openFile(HWND owner, const std::string& title, const std::string& filter);
    // Asks before it overwrites a file; no extension is added to a name.
    static std::string saveFile(HWND owner, const std::string& title, const std::string& filter,
                                const std::string& proposedName);
    // A folder, the dialog starting in `start`; empty when cancelled.
    static std::string folder(HWND owner, const std::string& title, const std::string& start);
    // The pop-up `menuId` (its first sub-menu) at a point of the screen;
    // answers the command chosen, 0 for none.
    static int popupMenu(HWND owner, int menuId, POINT at);

    // For tests: the next boxes answer these, in order, without being shown;
    // when none is queued they answer `unasked` (none: they are shown).
    static void queueAnswer(app::Answer answer);
    static void answerUnaskedWith(std::optional<app::Answer> answer);
    static const std::vector<std::string>& messagesShown();
    // For tests: the next file and folder dialogs answer these names
    // (empty: cancelled).
    static void queueFileName(const std::string& name);
    // For tests: the next pop-up menus answer these commands.
    static void queueMenuChoice(int command);
    // Every hook emptied.
    static void reset();
};

// "Name (*.x)|*.x" as the common dialogs take a filter: pairs ending with
// two zeros.
std::wstring commonDialogFilter(const std::string& filter);

}  // namespace qm::win32gui
