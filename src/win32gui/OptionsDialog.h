#pragma once
// Frmoption, "Task Scheduler": what an unattended backup takes, and when it
// runs. It draws and forwards; the rules are in the options presenter.
#include "options/OptionsView.h"
#include "win32gui/Controls.h"
#include "win32gui/Dialog.h"
#include "win32gui/Presenters.h"

namespace qm::win32gui {

class OptionsDialog : public Dialog, public options::OptionsView {
public:
    explicit OptionsDialog(WindowsContext& context);

    std::string toolTip(int id) const { return tips_.text(id); }

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

protected:
    bool onInit() override;
    bool onCommand(int id, int code) override;

private:
    WindowsContext& context_;
    OptionsGestures presenter_;
    ToolTips tips_;
};

}  // namespace qm::win32gui
