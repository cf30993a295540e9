#pragma once
// What the erase window frmErase offers the erase logic. The Qt window
// implements it; tests use a recording fake. Texts are UTF-8.
#include <string>

#include "app/MessageView.h"

namespace qm::disc {

class EraseView : public app::MessageView {
public:
    ~EraseView() override = default;

    virtual bool quickEraseChecked() const = 0;  // chkQuikErase
    virtual void setQuickEraseChecked(bool checked) = 0;
    virtual void setProgress(int percent) = 0;  // prgEraseProgress, 0 to 100
    virtual void setStatus(const std::string& text) = 0;  // lblStatus
    virtual void setEraseEnabled(bool enabled) = 0;  // cmdErase
    virtual void setCancelEnabled(bool enabled) = 0;  // cmdCancel
    // Lets pending window events run once.
    virtual void yield() = 0;
    // Shows the window modally; returns when it has closed.
    virtual void showModal() = 0;
    virtual void closeWindow() = 0;
};

}  // namespace qm::disc
