#pragma once
// frmScheduler: the program's scheduled backups, each with its last run and
// how it ended, where one can be removed or run now.
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
    void pollEvery(int milliseconds) override;

protected:
    bool onInit() override;
    bool onCommand(int id, int code) override;
    bool onNotify(NMHDR& header, LRESULT& result) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    // The job of the selected row; 0 when none is selected.
    std::uint32_t selectedJob() const;

    JobListGestures presenter_;
    std::vector<jobs::JobRow> rows_;
};

}  // namespace qm::win32gui
