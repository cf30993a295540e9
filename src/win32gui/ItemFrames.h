#pragma once
// The controls the main window and the options window share: the eight
// items of a "What" frame, captioned and tipped from the core's item table.
#include <windows.h>

#include "win32gui/Controls.h"

namespace qm::win32gui {

// The items `firstId` ... `firstId + 7` of `dialog`; the restore tab's first
// tip ends with a full stop.
void fillItems(HWND dialog, int firstId, ToolTips& tips, bool restoreTips = false);

// The two password boxes: emptied, and enabled (window colour) or disabled
// (grey, as the system draws a disabled box).
void setPasswordBoxes(HWND dialog, bool enabled, bool empty);

}  // namespace qm::win32gui
