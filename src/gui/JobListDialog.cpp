#include "gui/JobListDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/MessageBoxes.h"

namespace qm::gui {
JobListDialog::JobListDialog(platform::Scheduler& scheduler, QWidget* parent)
    : QDialog(parent), presenter_(*this, scheduler) {
    setObjectName(QStringLiteral("frmScheduler"));
    setWindowTitle(QStringLiteral("Scheduled Backups"));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 6, this);
    table_->setObjectName(QStringLiteral("lvwJobs"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Task"), QStringLiteral("Time"), QStringLiteral("Days"),
                                       QStringLiteral("Profile"), QStringLiteral("Items"),
                                       QStringLiteral("Backup file")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    auto* buttons = new QHBoxLayout;
    auto* remove = new QPushButton(QStringLiteral("Remove"), this);
    remove->setObjectName(QStringLiteral("cmdRemove"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    setMinimumSize(760, 300);

    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = table_->currentRow();
        if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
        presenter_.RemoveScheduledJob(rows_[static_cast<std::size_t>(row)].jobNumber);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    presenter_.FillJobList();
}

app::Answer JobListDialog::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return MessageBoxes::show(this, text, icon, buttons);
}

void JobListDialog::setJobRows(const std::vector<jobs::JobRow>& rows) {
    rows_ = rows;
    table_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& job = rows[r];
        const QStringList cells{QString::number(job.jobNumber), QString::fromStdString(job.startTime),
                                QString::fromStdString(job.days), QString::fromStdString(job.profile),
                                QString::fromStdString(job.items), QString::fromStdString(job.targetFile)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* cell = new QTableWidgetItem(cells[c]);
            cell->setToolTip(cells[c]);  // a long list or path is cut to fit
            table_->setItem(static_cast<int>(r), c, cell);
        }
    }
    table_->resizeColumnsToContents();
    // The backup file stays in view beside a long list of items.
    constexpr int kItemsColumn = 4, kMaxItemsWidth = 280;
    if (table_->columnWidth(kItemsColumn) > kMaxItemsWidth) table_->setColumnWidth(kItemsColumn, kMaxItemsWidth);
}

}  // namespace qm::gui
