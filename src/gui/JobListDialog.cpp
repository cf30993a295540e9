#include "gui/JobListDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/MessageBoxes.h"
#include "jobs/Texts.h"

namespace qm::gui {
namespace {

enum Column { kTask, kTime, kDays, kProfile, kItems, kKeep, kLastRun, kResult, kFile, kColumns };

}  // namespace

JobListDialog::JobListDialog(platform::Scheduler& scheduler, const jobs::RunHistory* history, QWidget* parent)
    : QDialog(parent), presenter_(*this, scheduler, history) {
    setObjectName(QStringLiteral("frmScheduler"));
    setWindowTitle(QStringLiteral("Scheduled Backups"));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("lvwJobs"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Task"), QStringLiteral("Time"), QStringLiteral("Days"),
                                       QStringLiteral("Profile"), QStringLiteral("Items"), QStringLiteral("Keep"),
                                       QStringLiteral("Last run"), QStringLiteral("Result"),
                                       QStringLiteral("Backup file")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    auto* buttons = new QHBoxLayout;
    auto* remove = new QPushButton(QStringLiteral("&Remove"), this);
    remove->setObjectName(QStringLiteral("cmdRemove"));
    auto* runNow = new QPushButton(QStringLiteral("R&un Now"), this);
    runNow->setObjectName(QStringLiteral("cmdRunNow"));
    runNow->setToolTip(QStringLiteral("Start the selected backup now, as its schedule would start it."));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(remove);
    buttons->addWidget(runNow);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    setMinimumSize(900, 300);

    poll_ = new QTimer(this);
    connect(poll_, &QTimer::timeout, this, [this] { presenter_.Poll(); });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (const auto job = selectedJob()) presenter_.RemoveScheduledJob(job);
    });
    connect(runNow, &QPushButton::clicked, this, [this] {
        if (const auto job = selectedJob()) presenter_.RunJobNow(job);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    presenter_.FillJobList();
}

std::uint32_t JobListDialog::selectedJob() const {
    const int row = table_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return 0;
    return rows_[static_cast<std::size_t>(row)].jobNumber;
}

app::Answer JobListDialog::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return MessageBoxes::show(this, text, icon, buttons);
}

void JobListDialog::pollEvery(int milliseconds) {
    if (milliseconds <= 0)
        poll_->stop();
    else
        poll_->start(milliseconds);
}

void JobListDialog::setJobRows(const std::vector<jobs::JobRow>& rows) {
    const std::uint32_t selected = selectedJob();
    rows_ = rows;
    table_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& job = rows[r];
        const QString lastRun = QString::fromStdString(job.lastRun.empty() ? jobs::text::kNeverRan : job.lastRun);
        const QStringList cells{QString::number(job.jobNumber),
                                QString::fromStdString(job.startTime),
                                QString::fromStdString(job.days),
                                QString::fromStdString(job.profile),
                                QString::fromStdString(job.items),
                                QString::fromStdString(job.keep),
                                lastRun,
                                QString::fromStdString(job.lastResult),
                                QString::fromStdString(job.targetFile)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* cell = new QTableWidgetItem(cells[c]);
            cell->setToolTip(cells[c]);  // a long list or path is cut to fit
            table_->setItem(static_cast<int>(r), c, cell);
        }
        // What failed, on the result.
        if (!job.lastMessage.empty())
            table_->item(static_cast<int>(r), kResult)
                ->setToolTip(QString::fromStdString(job.lastResult + ": " + job.lastMessage));
        if (job.jobNumber == selected) table_->selectRow(static_cast<int>(r));
    }
    table_->resizeColumnsToContents();
    // The backup file stays in view beside a long list of items.
    constexpr int kMaxItemsWidth = 280;
    if (table_->columnWidth(kItems) > kMaxItemsWidth) table_->setColumnWidth(kItems, kMaxItemsWidth);
}

}  // namespace qm::gui
