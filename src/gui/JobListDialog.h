#pragma once
// The scheduled backups of this user, each with its last run and how it
// ended, with "Remove" and "Run Now" for the one selected.
#include <QDialog>

#include "options/JobListPresenter.h"

class QPushButton;
class QTableWidget;
class QTimer;

namespace qm::gui {

class JobListDialog : public QDialog, public options::JobListView {
    Q_OBJECT
public:
    // `history` (may be null) tells each job's last run.
    JobListDialog(platform::Scheduler& scheduler, const jobs::RunHistory* history, QWidget* parent);
    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    void setJobRows(const std::vector<jobs::JobRow>& rows) override;
    void pollEvery(int milliseconds) override;

private:
    // The job of the selected row; 0 when none is selected.
    std::uint32_t selectedJob() const;

    options::JobListPresenter presenter_;
    QTableWidget* table_ = nullptr;
    QTimer* poll_ = nullptr;
    std::vector<jobs::JobRow> rows_;
};

}  // namespace qm::gui
