#pragma once
// frmAbout: the program's name, version, maker and web page.
#include <windows.h>

#include "win32gui/Dialog.h"
#include "win32gui/Presenters.h"

namespace qm::win32gui {

class AboutDialog : public Dialog {
public:
    explicit AboutDialog(WindowsContext& context);
    ~AboutDialog() override;

protected:
    bool onInit() override;
    bool onCommand(int id, int code) override;
    bool onNotify(NMHDR& header, LRESULT& result) override;

private:
    WindowsContext& context_;
    HICON icon_ = nullptr;
    HFONT titleFont_ = nullptr;
};

}  // namespace qm::win32gui
