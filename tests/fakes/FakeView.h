#pragma once
// A recording stand-in for the main window. Every control is a public field
// a test can set up and inspect; message boxes, the file dialogs and the
// password window answer from queues, so no test ever waits on a dialog.
// Texts are UTF-8, as a window's are.
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/MainView.h"

namespace qm::test {

struct ShownMessage {
    std::string text;
    app::Icon icon = app::Icon::None;
    app::Buttons buttons = app::Buttons::Ok;
};

struct FakeCheckBox {
    bool checked = false;
    bool enabled = true;
    std::string tooltip;
};

struct DiscCall {
    std::string fileTitle;
    std::string filePath;
};

struct FileDialogCall {
    std::string title;
    std::string filter;
    std::string proposedName;  // save dialog only
};

class FakeView : public app::MainView {
public:
    // Message boxes, in the order shown; answered from `answers` (Ok when it
    // runs dry).
    std::vector<ShownMessage> messages;
    std::deque<app::Answer> answers;

    // Window.
    std::string caption;
    bool hidden = false;
    app::Tab tab = app::Tab::Backup;
    std::string applyCaption;
    bool applyEnabled = true;
    std::string installationText;
    bool hourglass = false;
    std::vector<bool> hourglassHistory;
    int yields = 0;
    std::function<void()> onYield;  // runs on every yield when set
    bool cancel = false;            // answers cancelRequested()
    std::string outlookText;
    int quitCalls = 0;

    // Profile lists.
    std::vector<std::string> sourceProfiles;
    std::vector<std::string> targetProfiles;
    std::string sourceText;
    std::string targetText;

    // Check boxes.
    std::array<FakeCheckBox, 8> backupItems{};
    std::array<FakeCheckBox, 8> restoreItems{};

    // Backup tab fields, set by the test.
    std::string targetFileText;
    std::string descriptionText;
    bool protect = false;
    std::string passwordText;
    std::string password2Text;
    bool passwordBoxesEnabled = false;
    std::deque<std::string> saveFileAnswers;  // "" (cancel) when it runs dry
    std::vector<FileDialogCall> saveFileDialogs;

    // Restore tab.
    std::deque<std::string> backupFileAnswers;  // "" (cancel) when it runs dry
    std::vector<FileDialogCall> backupFileDialogs;
    std::deque<std::optional<std::string>> passwordAnswers;  // nullopt = cancel; cancel when dry
    int passwordAsked = 0;
    std::string sourceFileText;
    std::string backupFacts;
    std::string backupDescription;

    // Busy panel.
    bool busy = false;
    std::vector<bool> busyHistory;
    std::string status = "Please Waiting";
    std::vector<std::string> statusHistory;
    int progressValue = 0;
    std::vector<int> progressHistory;
    std::string fileLine;
    std::vector<std::string> fileLines;
    std::string percentLine;
    std::vector<std::string> percentLines;
    int progressAtFirstPercent = -1;  // the bar when the archive's write was first shown

    bool discs = true;  // answers writesDiscs()
    std::vector<DiscCall> discCalls;

    // The folder chooser and the list to choose from ("" = cancel when dry).
    std::deque<std::string> folderAnswers;
    std::vector<std::string> folderStarts;
    std::deque<std::string> listAnswers;
    std::vector<std::vector<std::string>> listChoices;
    std::vector<std::string> listCurrents;
    std::vector<std::string> helpWindows;

    // Convenience for assertions.
    std::vector<std::string> messageTexts() const;
    const ShownMessage* lastMessage() const { return messages.empty() ? nullptr : &messages.back(); }
    std::string backupCheckedPattern() const;  // "10000000": '1' per checked box
    std::string backupEnabledPattern() const;  // '1' per enabled box

    // MessageView
    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;

    // MainView
    void setCaption(const std::string& text) override { caption = text; }
    void hideWindow() override { hidden = true; }
    app::Tab currentTab() const override { return tab; }
    void setApplyCaption(const std::string& text) override { applyCaption = text; }
    void setApplyEnabled(bool enabled) override { applyEnabled = enabled; }
    void setInstallationText(const std::string& text) override { installationText = text; }
    void setOutlookText(const std::string& text) override { outlookText = text; }
    void setHourglass(bool on) override;
    void yield() override;
    bool cancelRequested() const override { return cancel; }

    void addSourceProfile(const std::string& name) override { sourceProfiles.push_back(name); }
    void addTargetProfile(const std::string& name) override { targetProfiles.push_back(name); }
    void setSourceProfileText(const std::string& name) override { sourceText = name; }
    void setTargetProfileText(const std::string& name) override { targetText = name; }
    std::string sourceProfile() const override { return sourceText; }
    std::string targetProfile() const override { return targetText; }

    bool backupItemChecked(int index) const override;
    void setBackupItemChecked(int index, bool checked) override;
    bool backupItemEnabled(int index) const override;
    void setBackupItemEnabled(int index, bool enabled) override;
    void setBackupItemTooltip(int index, const std::string& text) override;
    bool restoreItemChecked(int index) const override;
    void setRestoreItemChecked(int index, bool checked) override;
    bool restoreItemEnabled(int index) const override;
    void setRestoreItemEnabled(int index, bool enabled) override;

    void setTargetFileText(const std::string& text) override { targetFileText = text; }
    std::string description() const override { return descriptionText; }
    bool protectChecked() const override { return protect; }
    std::string password() const override { return passwordText; }
    std::string password2() const override { return password2Text; }
    void setPasswordBoxes(bool enabled) override;

    std::string chooseFileToOpen(const std::string& title, const std::string& filter) override;
    std::string chooseFileToSave(const std::string& title, const std::string& filter,
                                 const std::string& proposedName) override;
    std::optional<std::string> askPassword() override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;
    std::string chooseFromList(const std::string& title, const std::string& label,
                               const std::vector<std::string>& choices, const std::string& current) override;
    void showHelpWindow(const std::string& helpFile) override { helpWindows.push_back(helpFile); }
    void setSourceFileText(const std::string& text) override { sourceFileText = text; }
    void setBackupFacts(const std::string& text) override { backupFacts = text; }
    void setBackupDescription(const std::string& text) override { backupDescription = text; }

    void showBusy(bool visible) override;
    void setStatus(const std::string& text) override;
    int progress() const override { return progressValue; }
    void setProgress(int value) override;
    void setFileLine(const std::string& text) override;
    void setPercentLine(const std::string& text) override;

    bool writesDiscs() const override { return discs; }
    void showDiscWindow(const std::string& fileTitle, const std::string& filePath) override;
    void quit() override { ++quitCalls; }

private:
    static bool valid(int index) { return index >= 0 && index < 8; }
};

}  // namespace qm::test
