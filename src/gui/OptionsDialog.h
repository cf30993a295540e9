#pragma once
// Frmoption, "Task Scheduler": what an unattended backup takes, and when it
// runs. It draws and forwards; the rules are in options/.
#include <QDialog>
#include <array>

#include "gui/GuiContext.h"
#include "options/OptionsPresenter.h"
#include "options/OptionsView.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace qm::gui {

class OptionsDialog : public QDialog, public options::OptionsView {
    Q_OBJECT
public:
    OptionsDialog(GuiContext& context, QWidget* parent);

    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    void addSourceProfile(const std::string& name) override;
    void setSourceProfileText(const std::string& name) override;
    std::string sourceProfile() const override;
    bool backupItemChecked(int index) const override;
    void setBackupItemChecked(int index, bool checked) override;
    void setBackupItemEnabled(int index, bool enabled) override;
    void setBackupItemTooltip(int index, const std::string& text) override;
    void setTargetFileText(const std::string& path) override;
    std::optional<std::string> chooseTargetFile(const options::SaveDialog& dialog) override;
    bool protectChecked() const override;
    void setPasswordBoxesEnabled(bool enabled) override;
    std::string password() const override;
    std::string password2() const override;
    void setPassword(const std::string& text) override;
    void setPassword2(const std::string& text) override;
    void addStartTime(const std::string& text) override;
    void setStartTimeText(const std::string& text) override;
    std::string startTimeText() const override;
    bool weekdayChecked(jobs::Weekday day) const override;
    void setWeekdayChecked(jobs::Weekday day, bool checked) override;
    bool dailyChecked() const override;
    void setKeepRange(options::KeepBox box, int lowest, int highest) override;
    void setKeepCount(options::KeepBox box, int count) override;
    int keepCount(options::KeepBox box) const override;
    void showScheduledJobs() override;

private:
    GuiContext& context_;
    std::unique_ptr<options::OptionsPresenter> presenter_;
    QComboBox* cbSource_ = nullptr;
    std::array<QCheckBox*, 8> backupItems_{};
    QLineEdit* txtTargetFile_ = nullptr;
    QCheckBox* ifprotect_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QLineEdit* txtPassword2_ = nullptr;
    QComboBox* cmbStartTime_ = nullptr;
    std::array<QCheckBox*, 7> weekdays_{};
    QCheckBox* chkDaily_ = nullptr;
    std::array<QSpinBox*, 3> keep_{};  // by options::KeepBox
};

}  // namespace qm::gui
