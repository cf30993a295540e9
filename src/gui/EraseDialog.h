#pragma once
// frmErase: erases the rewritable disc in the chosen drive.
#include <QDialog>
#include <memory>

#include "disc/EraseView.h"
#include "disc/ErasePresenter.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qm::gui {

class EraseDialog : public QDialog, public disc::EraseView {
    Q_OBJECT
public:
    explicit EraseDialog(QWidget* parent);
    ~EraseDialog() override;
    // Shown modally for the drive; returns when it has closed.
    void show(disc::Device& device, disc::DiscEngine& engine);

    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    bool quickEraseChecked() const override;
    void setQuickEraseChecked(bool checked) override;
    void setProgress(int percent) override;
    void setStatus(const std::string& text) override;
    void setEraseEnabled(bool enabled) override;
    void setCancelEnabled(bool enabled) override;
    void yield() override;
    void showModal() override;
    void closeWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape: as "&Cancel", refused while an erase runs.
    void reject() override;

private:
    std::unique_ptr<disc::ErasePresenter> logic_;
    bool mayClose_ = false;
    QCheckBox* chkQuikErase_ = nullptr;
    QProgressBar* prgEraseProgress_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPushButton* cmdErase_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace qm::gui
