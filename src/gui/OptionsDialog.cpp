#include "gui/OptionsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Environment.h"
#include "app/ViewText.h"
#include "gui/ItemControls.h"
#include "gui/JobListDialog.h"
#include "gui/MessageBoxes.h"
#include "options/OptionsTexts.h"

namespace qm::gui {
namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

// With their mnemonics. The window has more controls than its captions have
// letters to tell them apart: Saturday, Sunday, "Run daily" and the buttons
// below them share theirs with another control (Alt and the letter then go
// from one to the next).
const char* const kWeekdayCaptions[7] = {"M&onday", "T&uesday",  "Wed&nesday", "T&hursday",
                                         "Fri&day", "Satu&rday", "Sun&day"};
const char* const kWeekdayNames[7] = {"chkMonday", "chkTuesday", "chkWednesday", "chkThursday",
                                      "chkFriday", "chkSaturday", "chkSunday"};

}  // namespace

OptionsDialog::OptionsDialog(GuiContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Frmoption"));
    setWindowTitle(QStringLiteral("Task Scheduler"));
    auto* layout = new QGridLayout(this);

    const WhatFrame what = makeWhatFrame(this, QStringLiteral("&Profile to backup"), QStringLiteral("cbSource"),
                                         QStringLiteral("Items to backup"), QStringLiteral("backupitem"), backupItems_);
    cbSource_ = what.profiles;
    layout->addWidget(what.frame, 0, 0, 2, 1);

    auto* where = new QGroupBox(QStringLiteral("Where"), this);
    auto* whereLayout = new QGridLayout(where);
    auto* targetLabel = new QLabel(QStringLiteral("Choose a Backup &Filename"), where);
    whereLayout->addWidget(targetLabel, 0, 0, 1, 2);
    txtTargetFile_ = new QLineEdit(where);
    txtTargetFile_->setObjectName(QStringLiteral("txtTargetFile"));
    txtTargetFile_->setReadOnly(true);
    targetLabel->setBuddy(txtTargetFile_);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), where);
    browse->setObjectName(QStringLiteral("cmdTargetFile"));
    whereLayout->addWidget(txtTargetFile_, 1, 0);
    whereLayout->addWidget(browse, 1, 1);
    const SecurityFrame security = makeSecurityFrame(where);
    ifprotect_ = security.protect;
    txtPassword_ = security.password;
    txtPassword2_ = security.retyped;
    whereLayout->addWidget(security.frame, 2, 0, 1, 2);
    layout->addWidget(where, 0, 1);

    auto* schedule = new QGroupBox(QStringLiteral("Schedule"), this);
    auto* scheduleLayout = new QGridLayout(schedule);
    auto* startLabel = new QLabel(QStringLiteral("St&art time"), schedule);
    scheduleLayout->addWidget(startLabel, 0, 0);
    cmbStartTime_ = new QComboBox(schedule);
    startLabel->setBuddy(cmbStartTime_);
    cmbStartTime_->setObjectName(QStringLiteral("cmbStartTime"));
    cmbStartTime_->setEditable(true);
    scheduleLayout->addWidget(cmbStartTime_, 0, 1);
    for (int d = 0; d < 7; ++d) {
        weekdays_[static_cast<std::size_t>(d)] = new QCheckBox(QString::fromUtf8(kWeekdayCaptions[d]), schedule);
        weekdays_[static_cast<std::size_t>(d)]->setObjectName(QString::fromUtf8(kWeekdayNames[d]));
        scheduleLayout->addWidget(weekdays_[static_cast<std::size_t>(d)], 1 + d / 4, d % 4);
    }
    chkDaily_ = new QCheckBox(QStringLiteral("Run dai&ly"), schedule);
    chkDaily_->setObjectName(QStringLiteral("chkDaily"));
    scheduleLayout->addWidget(chkDaily_, 2, 3);
    auto* add = new QPushButton(QStringLiteral("Add Tas&k to Scheduler"), schedule);
    add->setObjectName(QStringLiteral("Command3"));
    auto* open = new QPushButton(QStringLiteral("Open Sc&heduler"), schedule);
    open->setObjectName(QStringLiteral("Command1"));
    scheduleLayout->addWidget(add, 3, 0, 1, 2);
    scheduleLayout->addWidget(open, 3, 2, 1, 2);
    layout->addWidget(schedule, 1, 1);

    // The versions kept beside the backup file: "Keep the last N backups".
    auto* versions = new QGroupBox(QStringLiteral("Versions"), this);
    auto* versionsLayout = new QGridLayout(versions);
    const char* const keepTexts[3][3] = {{"Keep the las&t", "backups", "spnKeep"},
                                         {"and one a &week for", "weeks", "spnKeepWeekly"},
                                         {"and one a mont&h for", "months", "spnKeepMonthly"}};
    for (int row = 0; row < 3; ++row) {
        auto* before = new QLabel(QString::fromUtf8(keepTexts[row][0]), versions);
        auto* box = new QSpinBox(versions);
        box->setObjectName(QString::fromUtf8(keepTexts[row][2]));
        before->setBuddy(box);
        versionsLayout->addWidget(before, row, 0);
        versionsLayout->addWidget(box, row, 1);
        versionsLayout->addWidget(new QLabel(QString::fromUtf8(keepTexts[row][1]), versions), row, 2);
        keep_[static_cast<std::size_t>(row)] = box;
    }
    versionsLayout->setColumnStretch(2, 1);
    layout->addWidget(versions, 2, 0);

    auto* cancel = new QPushButton(QStringLiteral("Cance&l"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    layout->addWidget(cancel, 2, 1, Qt::AlignRight | Qt::AlignBottom);

    // What the window takes from the rest of the program; picking a profile
    // here recomputes the locations the main window shares.
    options::OptionsContext options;
    options.program = context_.program;
    presenter_ = std::make_unique<options::OptionsPresenter>(context_.session, *this, options, context_.keptOptions,
                                                             context_.scheduler);

    connect(cbSource_, &QComboBox::activated, this, [this] { presenter_->SourceProfileChanged(); });
    connect(browse, &QPushButton::clicked, this, [this] { presenter_->BrowseTargetFile(); });
    connect(ifprotect_, &QCheckBox::clicked, this, [this] { presenter_->ProtectClicked(); });
    connect(chkDaily_, &QCheckBox::clicked, this, [this] { presenter_->DailyClicked(); });
    connect(add, &QPushButton::clicked, this, [this] { presenter_->AddTaskToScheduler(); });
    connect(open, &QPushButton::clicked, this, [this] { presenter_->OpenScheduler(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    presenter_->LoadOptionsWindow();
}

app::Answer OptionsDialog::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return MessageBoxes::show(this, text, icon, buttons);
}

void OptionsDialog::addSourceProfile(const std::string& name) { cbSource_->addItem(q(name)); }
void OptionsDialog::setSourceProfileText(const std::string& name) { cbSource_->setCurrentText(q(name)); }
std::string OptionsDialog::sourceProfile() const { return cbSource_->currentText().toStdString(); }
bool OptionsDialog::backupItemChecked(int i) const { return backupItems_.at(static_cast<std::size_t>(i))->isChecked(); }
void OptionsDialog::setBackupItemChecked(int i, bool c) { backupItems_.at(static_cast<std::size_t>(i))->setChecked(c); }
void OptionsDialog::setBackupItemEnabled(int i, bool e) { backupItems_.at(static_cast<std::size_t>(i))->setEnabled(e); }
void OptionsDialog::setBackupItemTooltip(int i, const std::string& text) {
    backupItems_.at(static_cast<std::size_t>(i))->setToolTip(q(text));
}
void OptionsDialog::setTargetFileText(const std::string& path) { showPath(txtTargetFile_, q(path)); }

std::optional<std::string> OptionsDialog::chooseTargetFile(const options::SaveDialog& dialog) {
    const std::string chosen = FilePickers::save(this, dialog.title, dialog.filter, dialog.proposedName);
    if (chosen.empty()) return std::nullopt;
    return chosen;
}

bool OptionsDialog::protectChecked() const { return ifprotect_->isChecked(); }
void OptionsDialog::setPasswordBoxesEnabled(bool enabled) {
    paintPasswordBox(txtPassword_, enabled);
    paintPasswordBox(txtPassword2_, enabled);
}
std::string OptionsDialog::password() const { return txtPassword_->text().toStdString(); }
std::string OptionsDialog::password2() const { return txtPassword2_->text().toStdString(); }
void OptionsDialog::setPassword(const std::string& text) { txtPassword_->setText(q(text)); }
void OptionsDialog::setPassword2(const std::string& text) { txtPassword2_->setText(q(text)); }
void OptionsDialog::addStartTime(const std::string& text) { cmbStartTime_->addItem(q(text)); }
void OptionsDialog::setStartTimeText(const std::string& text) { cmbStartTime_->setCurrentText(q(text)); }
std::string OptionsDialog::startTimeText() const { return cmbStartTime_->currentText().toStdString(); }
bool OptionsDialog::weekdayChecked(jobs::Weekday day) const {
    return weekdays_.at(static_cast<std::size_t>(day))->isChecked();
}
void OptionsDialog::setWeekdayChecked(jobs::Weekday day, bool checked) {
    weekdays_.at(static_cast<std::size_t>(day))->setChecked(checked);
}
bool OptionsDialog::dailyChecked() const { return chkDaily_->isChecked(); }

void OptionsDialog::setKeepRange(options::KeepBox box, int lowest, int highest) {
    keep_.at(static_cast<std::size_t>(box))->setRange(lowest, highest);
}
void OptionsDialog::setKeepCount(options::KeepBox box, int count) {
    keep_.at(static_cast<std::size_t>(box))->setValue(count);
}
int OptionsDialog::keepCount(options::KeepBox box) const { return keep_.at(static_cast<std::size_t>(box))->value(); }

void OptionsDialog::showScheduledJobs() {
    jobs::RunHistory history = jobs::RunHistory::of(context_.session);
    JobListDialog dialog(context_.scheduler, &history, this);
    dialog.exec();
}

}  // namespace qm::gui
