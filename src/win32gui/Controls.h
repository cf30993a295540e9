#pragma once
// Small helpers over the controls of a dialog, found by their ids. Texts
// are UTF-8.
#include <windows.h>

#include <map>
#include <string>

namespace qm::win32gui {

std::string windowText(HWND window);
void setWindowText(HWND window, const std::string& text);
std::string itemText(HWND dialog, int id);
void setItemText(HWND dialog, int id, const std::string& text);

bool isChecked(HWND dialog, int id);
void setChecked(HWND dialog, int id, bool checked);
bool isEnabled(HWND dialog, int id);
void setEnabled(HWND dialog, int id, bool enabled);

// Combo boxes: an entry added at the end, and the entry whose text matches
// made the current one (an editable box takes any text).
void addComboEntry(HWND dialog, int id, const std::string& text);
void setComboText(HWND dialog, int id, const std::string& text);

// Dialog units to pixels, as the dialog's font and the monitor make them.
int dialogUnitsX(HWND dialog, int units);
int dialogUnitsY(HWND dialog, int units);
// A control's rectangle in its parent's client coordinates.
RECT rectInParent(HWND control);

// The tool tips of a dialog's controls. A disabled control gets no mouse
// messages of its own, so each tip is also kept over its rectangle on the
// dialog, where the mouse then goes.
class ToolTips {
public:
    ToolTips() = default;
    ToolTips(const ToolTips&) = delete;
    ToolTips& operator=(const ToolTips&) = delete;
    ~ToolTips();

    void attach(HWND dialog);
    void set(int id, const std::string& text);
    std::string text(int id) const;

private:
    HWND dialog_ = nullptr;
    HWND tips_ = nullptr;
    std::map<int, std::wstring> texts_;
};

}  // namespace qm::win32gui
