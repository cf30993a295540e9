#pragma once
// The scheduled backups of this user, with "Remove" for the one selected.
#include <QDialog>

#include "options/JobListPresenter.h"

class QTableWidget;

namespace qm::gui {

class JobListDialog : public QDialog, public options::JobListView {
    Q_OBJECT
public:
    JobListDialog(platform::Scheduler& scheduler, QWidget* parent);
    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    void setJobRows(const std::vector<jobs::JobRow>& rows) override;

private:
    options::JobListPresenter presenter_;
    QTableWidget* table_ = nullptr;
    std::vector<jobs::JobRow> rows_;
};

}  // namespace qm::gui
