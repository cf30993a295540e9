#pragma once
// frmScheduler: the program's scheduled backups, where one can be removed.
#include <vector>

#include "options/JobListPresenter.h"
#include "win32gui/Dialog.h"
#include "win32gui/Presenters.h"

namespace qm::win32gui {

class JobListDialog : public Dialog, public options::JobListView {
public:
    explicit JobListDialog(WindowsContext& context);

    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    void setJobRows(const std::vector<jobs::JobRow>& rows) override;

protected:
    bool onInit() override;
    bool onCommand(int id, int code) override;

private:
    JobListGestures presenter_;
    std::vector<jobs::JobRow> rows_;
};

}  // namespace qm::win32gui
