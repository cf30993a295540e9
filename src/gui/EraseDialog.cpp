#include "gui/EraseDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "disc/Texts.h"
#include "gui/MessageBoxes.h"

namespace qm::gui {

EraseDialog::EraseDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmErase"));
    setWindowTitle(QString::fromUtf8(disc::text::kEraseCaption));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QString::fromUtf8(disc::text::kEraseNote), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    chkQuikErase_ = new QCheckBox(QString::fromUtf8(disc::text::kQuickErase), this);
    chkQuikErase_->setObjectName(QStringLiteral("chkQuikErase"));
    chkQuikErase_->setChecked(true);
    layout->addWidget(chkQuikErase_);
    prgEraseProgress_ = new QProgressBar(this);
    prgEraseProgress_->setObjectName(QStringLiteral("prgEraseProgress"));
    prgEraseProgress_->setRange(0, 100);
    prgEraseProgress_->setValue(0);
    layout->addWidget(prgEraseProgress_);
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    layout->addWidget(lblStatus_);
    auto* buttons = new QHBoxLayout;
    cmdErase_ = new QPushButton(QString::fromUtf8(disc::text::kEraseButton), this);
    cmdErase_->setObjectName(QStringLiteral("cmdErase"));
    cmdCancel_ = new QPushButton(QString::fromUtf8(disc::text::kCancel), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addStretch();
    buttons->addWidget(cmdErase_);
    buttons->addWidget(cmdCancel_);
    layout->addLayout(buttons);
    setMinimumWidth(440);
    logic_ = std::make_unique<disc::ErasePresenter>(*this);
    connect(cmdErase_, &QPushButton::clicked, this, [this] { logic_->ErasePressed(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { logic_->CancelPressed(); });
}

EraseDialog::~EraseDialog() { logic_.reset(); }

void EraseDialog::show(disc::Device& device, disc::DiscEngine& engine) { logic_->ShowErase(device, engine); }

app::Answer EraseDialog::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return MessageBoxes::show(this, text, icon, buttons);
}

bool EraseDialog::quickEraseChecked() const { return chkQuikErase_->isChecked(); }
void EraseDialog::setQuickEraseChecked(bool checked) { chkQuikErase_->setChecked(checked); }
void EraseDialog::setProgress(int percent) { prgEraseProgress_->setValue(percent); }
void EraseDialog::setStatus(const std::string& text) { lblStatus_->setText(QString::fromStdString(text)); }
void EraseDialog::setEraseEnabled(bool enabled) { cmdErase_->setEnabled(enabled); }
void EraseDialog::setCancelEnabled(bool enabled) { cmdCancel_->setEnabled(enabled); }
void EraseDialog::yield() { QApplication::processEvents(QEventLoop::AllEvents); }
void EraseDialog::showModal() { exec(); }

void EraseDialog::closeWindow() {
    mayClose_ = true;
    accept();
}

void EraseDialog::reject() {
    if (mayClose_)
        QDialog::reject();
    else
        logic_->CancelPressed();
}

void EraseDialog::closeEvent(QCloseEvent* event) {
    // An erase cannot be stopped: the window stays until it ends.
    if (!mayClose_ && !logic_->QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace qm::gui
