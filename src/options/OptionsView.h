#pragma once
// What the options window ("Task Scheduler") offers the core. The Qt window
// implements it; tests use a recording fake. Texts are UTF-8.
#include <optional>
#include <string>

#include "app/MessageView.h"
#include "jobs/ScheduleTimes.h"

namespace qm::options {

struct SaveDialog {
    std::string title;
    std::string filter;        // "Name (*.ext)|*.ext"
    std::string proposedName;
    bool askBeforeOverwrite = true;
};

// The number boxes of the versions kept: "Keep the last N backups", and
// one a week and one a month kept longer.
enum class KeepBox { Last, Weekly, Monthly };

class OptionsView : public app::MessageView {
public:
    ~OptionsView() override = default;

    // cbSource: the profile to back up.
    virtual void addSourceProfile(const std::string& name) = 0;
    virtual void setSourceProfileText(const std::string& name) = 0;
    virtual std::string sourceProfile() const = 0;

    // backupitem, index 0..7.
    virtual bool backupItemChecked(int index) const = 0;
    virtual void setBackupItemChecked(int index, bool checked) = 0;
    virtual void setBackupItemEnabled(int index, bool enabled) = 0;
    virtual void setBackupItemTooltip(int index, const std::string& text) = 0;

    // txtTargetFile (read-only) and the save dialog cdTarget, which answers
    // the chosen path or nullopt when cancelled.
    virtual void setTargetFileText(const std::string& path) = 0;
    virtual std::optional<std::string> chooseTargetFile(const SaveDialog& dialog) = 0;

    // ifprotect with txtPassword and txtPassword2. Disabled boxes have the
    // grey background, enabled ones the window background.
    virtual bool protectChecked() const = 0;
    virtual void setPasswordBoxesEnabled(bool enabled) = 0;
    virtual std::string password() const = 0;
    virtual std::string password2() const = 0;
    virtual void setPassword(const std::string& text) = 0;
    virtual void setPassword2(const std::string& text) = 0;

    // cmbStartTime.
    virtual void addStartTime(const std::string& text) = 0;
    virtual void setStartTimeText(const std::string& text) = 0;
    virtual std::string startTimeText() const = 0;

    // chkMonday ... chkSunday and chkDaily.
    virtual bool weekdayChecked(jobs::Weekday day) const = 0;
    virtual void setWeekdayChecked(jobs::Weekday day, bool checked) = 0;
    virtual bool dailyChecked() const = 0;

    // The versions' number boxes, each with the range it takes.
    virtual void setKeepRange(KeepBox box, int lowest, int highest) = 0;
    virtual void setKeepCount(KeepBox box, int count) = 0;
    virtual int keepCount(KeepBox box) const = 0;

    // The window listing the scheduled jobs (see JobList.h), modal.
    virtual void showScheduledJobs() = 0;
};

}  // namespace qm::options
