#pragma once
// The main window of the console build: no window, no display. It keeps
// the controls' values for the runs, prints message boxes to stderr and
// answers them with Ok, and never waits: no one watches an unattended run.
#include <array>
#include <cstdio>
#include <string>

#include "app/MainView.h"
#include "platform/CodePage.h"

namespace qm::cli {

class HeadlessView : public app::MainView {
public:
    // Messages shown so far (the scheduled job's log sees them on stderr).
    int messagesShown = 0;
    bool quitRequested = false;

    platform::Answer showMessage(const std::string& text, platform::Icon icon, platform::Buttons) override {
        ++messagesShown;
        std::string shown = platform::CodePage::toUtf8(text);
        // Keep one message on one log line: line breaks and tabs become blanks.
        std::string line;
        for (char c : shown) {
            if (c == '\r') continue;
            if (c == '\n' || c == '\t') {
                if (!line.empty() && line.back() != ' ') line += ' ';
                continue;
            }
            line += c;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::fprintf(stderr, "quillmark: [%s] %s\n", iconName(icon), line.c_str());
        return platform::Answer::Ok;
    }

    static const char* iconName(platform::Icon icon) {
        switch (icon) {
            case platform::Icon::Information: return "information";
            case platform::Icon::Exclamation: return "exclamation";
            case platform::Icon::Critical: return "critical";
            case platform::Icon::None: break;
        }
        return "message";
    }

    // Window.
    void setCaption(const std::string&) override {}
    void hideWindow() override {}
    app::Tab currentTab() const override { return app::Tab::Backup; }
    void setApplyCaption(const std::string&) override {}
    void setApplyEnabled(bool) override {}
    void setHourglass(bool) override {}
    void yield() override {}
    void pause(unsigned) override {}

    // Profile lists.
    void addSourceProfile(const std::string&) override {}
    void addTargetProfile(const std::string&) override {}
    void setSourceProfileText(const std::string& name) override { source_ = name; }
    void setTargetProfileText(const std::string& name) override { target_ = name; }
    std::string sourceProfile() const override { return source_; }
    std::string targetProfile() const override { return target_; }

    // Check boxes.
    bool backupItemChecked(int i) const override { return ok(i) && backupChecked_[i]; }
    void setBackupItemChecked(int i, bool v) override { if (ok(i)) backupChecked_[i] = v; }
    bool backupItemEnabled(int i) const override { return ok(i) && backupEnabled_[i]; }
    void setBackupItemEnabled(int i, bool v) override { if (ok(i)) backupEnabled_[i] = v; }
    void setBackupItemTooltip(int, const std::string&) override {}
    bool restoreItemChecked(int i) const override { return ok(i) && restoreChecked_[i]; }
    void setRestoreItemChecked(int i, bool v) override { if (ok(i)) restoreChecked_[i] = v; }
    bool restoreItemEnabled(int i) const override { return ok(i) && restoreEnabled_[i]; }
    void setRestoreItemEnabled(int i, bool v) override { if (ok(i)) restoreEnabled_[i] = v; }

    // Backup tab: nothing typed.
    std::string description() const override { return {}; }
    bool protectChecked() const override { return false; }
    std::string password() const override { return {}; }
    std::string password2() const override { return {}; }

    // Restore tab: no dialogs here.
    std::string chooseBackupFile(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> askPassword() override { return std::nullopt; }
    void setSourceFileText(const std::string&) override {}
    void setBackupFacts(const std::string&) override {}
    void setBackupDescription(const std::string&) override {}

    // Busy panel.
    void showBusy(bool) override {}
    void setStatus(const std::string&) override {}
    int progress() const override { return progress_; }
    void setProgress(int value) override { progress_ = value; }
    void setFileLine(const std::string&) override {}
    void setPercentLine(const std::string&) override {}

    void showDiscWindow(const std::string&, const std::string&) override {}
    void quit() override { quitRequested = true; }

private:
    static bool ok(int i) { return i >= 0 && i < 8; }
    std::string source_, target_;
    std::array<bool, 8> backupChecked_{}, backupEnabled_{}, restoreChecked_{}, restoreEnabled_{};
    int progress_ = 0;
};

}  // namespace qm::cli
