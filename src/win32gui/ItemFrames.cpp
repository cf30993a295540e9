#include "win32gui/ItemFrames.h"

#include "items/ItemTable.h"
#include "win32gui/Resources.h"

namespace qm::win32gui {

void fillItems(HWND dialog, int firstId, ToolTips& tips, bool restoreTips) {
    for (int i = 0; i < static_cast<int>(items::kItemCount); ++i) {
        const auto n = static_cast<std::size_t>(i);
        setItemText(dialog, firstId + i, items::kItemCaptions[n]);
        tips.set(firstId + i, std::string(items::kItemTooltips[n]) + (restoreTips && i == 0 ? "." : ""));
    }
}

void setPasswordBoxes(HWND dialog, bool enabled, bool empty) {
    for (int id : {ID_txtPassword, ID_txtPassword2}) {
        if (empty) setItemText(dialog, id, "");
        setEnabled(dialog, id, enabled);
    }
}

}  // namespace qm::win32gui
