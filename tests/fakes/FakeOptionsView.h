#pragma once
// Recording stand-ins for the options window and the job list: controls
// are public fields; dialogs and message boxes answer from queues, so no
// test waits on one.
#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "options/JobListPresenter.h"
#include "options/OptionsView.h"

namespace qm::test {

struct Shown {
    std::string text;
    app::Icon icon = app::Icon::None;
    app::Buttons buttons = app::Buttons::Ok;
};

// Message boxes, answered from `answers` (Ok when it runs dry).
struct MessageRecorder {
    std::vector<Shown> messages;
    std::deque<app::Answer> answers;
    app::Answer record(const std::string& text, app::Icon icon, app::Buttons buttons) {
        messages.push_back({text, icon, buttons});
        if (answers.empty()) return app::Answer::Ok;
        app::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

struct FakeItemBox {
    bool checked = false;
    bool enabled = true;
    std::string tooltip;
};

class FakeOptionsView : public options::OptionsView {
public:
    MessageRecorder boxes;
    std::vector<std::string> profiles;
    std::string profileText;
    std::array<FakeItemBox, 8> items{};
    std::string targetFileText;
    std::deque<std::optional<std::string>> dialogAnswers;  // cancel when it runs dry
    std::vector<options::SaveDialog> dialogs;
    bool protect = false;
    bool passwordBoxesEnabled = false;
    std::string passwordText, password2Text;
    std::vector<std::string> startTimes;
    std::string startTime;
    jobs::WeekdayChecks weekdays{};
    bool daily = false;
    int scheduledJobsShown = 0;
    // Last, weekly, monthly: the count and the range.
    std::array<int, 3> keep{};
    std::array<std::pair<int, int>, 3> keepRanges{};

    void checkDays(std::initializer_list<jobs::Weekday> days) {
        weekdays = {};
        for (auto d : days) weekdays[static_cast<size_t>(d)] = true;
    }
    // "10100000": one digit per box, from `field`.
    std::string itemPattern(bool FakeItemBox::*field) const {
        std::string pattern;
        for (const auto& box : items) pattern += box.*field ? '1' : '0';
        return pattern;
    }

    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override {
        return boxes.record(text, icon, buttons);
    }
    void addSourceProfile(const std::string& name) override { profiles.push_back(name); }
    void setSourceProfileText(const std::string& name) override { profileText = name; }
    std::string sourceProfile() const override { return profileText; }
    bool backupItemChecked(int i) const override { return box(i).checked; }
    void setBackupItemChecked(int i, bool on) override { box(i).checked = on; }
    void setBackupItemEnabled(int i, bool on) override { box(i).enabled = on; }
    void setBackupItemTooltip(int i, const std::string& text) override { box(i).tooltip = text; }
    void setTargetFileText(const std::string& path) override { targetFileText = path; }
    void setKeepRange(options::KeepBox b, int lowest, int highest) override {
        keepRanges[static_cast<std::size_t>(b)] = {lowest, highest};
    }
    void setKeepCount(options::KeepBox b, int count) override { keep[static_cast<std::size_t>(b)] = count; }
    int keepCount(options::KeepBox b) const override { return keep[static_cast<std::size_t>(b)]; }
    std::optional<std::string> chooseTargetFile(const options::SaveDialog& dialog) override {
        dialogs.push_back(dialog);
        if (dialogAnswers.empty()) return std::nullopt;
        auto answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    bool protectChecked() const override { return protect; }
    void setPasswordBoxesEnabled(bool on) override { passwordBoxesEnabled = on; }
    std::string password() const override { return passwordText; }
    std::string password2() const override { return password2Text; }
    void setPassword(const std::string& text) override { passwordText = text; }
    void setPassword2(const std::string& text) override { password2Text = text; }
    void addStartTime(const std::string& text) override { startTimes.push_back(text); }
    void setStartTimeText(const std::string& text) override { startTime = text; }
    std::string startTimeText() const override { return startTime; }
    bool weekdayChecked(jobs::Weekday d) const override { return weekdays[static_cast<size_t>(d)]; }
    void setWeekdayChecked(jobs::Weekday d, bool on) override { weekdays[static_cast<size_t>(d)] = on; }
    bool dailyChecked() const override { return daily; }
    void showScheduledJobs() override { ++scheduledJobsShown; }

private:
    FakeItemBox& box(int i) { return items.at(static_cast<size_t>(i)); }
    const FakeItemBox& box(int i) const { return items.at(static_cast<size_t>(i)); }
};

class FakeJobListView : public options::JobListView {
public:
    MessageRecorder boxes;
    std::vector<jobs::JobRow> rows;
    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override {
        return boxes.record(text, icon, buttons);
    }
    std::vector<int> polls;  // every pollEvery() asked, in order
    void setJobRows(const std::vector<jobs::JobRow>& newRows) override { rows = newRows; }
    void pollEvery(int milliseconds) override { polls.push_back(milliseconds); }
};

}  // namespace qm::test
