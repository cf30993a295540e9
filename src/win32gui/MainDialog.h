#pragma once
// frmMain: the backup and restore tabs, the menus, the buttons and the busy
// panel. It draws and forwards; every rule is in the presenters it calls.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/MainView.h"
#include "win32gui/Controls.h"
#include "win32gui/Dialog.h"
#include "win32gui/Presenters.h"

namespace qm::win32gui {

// A dialog inside another (a tab page, the busy panel): its controls'
// commands and notices go to the window that holds it.
class ChildPanel : public Dialog {
public:
    ChildPanel(int templateId, Dialog& holder, bool themedPage);

protected:
    bool onInit() override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    Dialog& holder_;
    bool themedPage_;
};

class MainDialog : public Dialog, public app::MainView {
public:
    explicit MainDialog(WindowsContext& context);
    ~MainDialog() override;

    // Makes the window (hidden) and runs its load; false when no Outlook
    // profile was found (the window is usable all the same).
    bool open();
    void show();

    // The tab pages and the busy panel, for whoever looks for their controls.
    HWND backupPage() const { return backup_.hwnd(); }
    HWND restorePage() const { return restore_.hwnd(); }
    HWND busyPanel() const { return busy_.hwnd(); }
    // A control of the window, of a page or of the busy panel, by id.
    HWND control(int id) const;
    std::string toolTip(int id) const;
    // Shows a tab as a click on it does.
    void selectTab(app::Tab tab);
    // What quitting does once the window is done: ends the event loop
    // unless given otherwise (the tests keep their own).
    void setQuitAction(std::function<void()> action) { quitAction_ = std::move(action); }
    bool quitDone() const { return closed_; }

    // MessageView
    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    // ProgressView
    void showBusy(bool visible) override;
    void setHourglass(bool on) override;
    void setStatus(const std::string& text) override;
    int progress() const override;
    void setProgress(int value) override;
    void setFileLine(const std::string& text) override;
    void setPercentLine(const std::string& text) override;
    void yield() override;
    // PasswordPrompt
    std::optional<std::string> askPassword() override;
    // FileDialogs
    std::string chooseFileToOpen(const std::string& title, const std::string& filter) override;
    std::string chooseFileToSave(const std::string& title, const std::string& filter,
                                 const std::string& proposedName) override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;
    std::string chooseFromList(const std::string& title, const std::string& label,
                               const std::vector<std::string>& choices, const std::string& current) override;
    // MainView
    void setCaption(const std::string& text) override;
    void hideWindow() override;
    app::Tab currentTab() const override;
    void setApplyCaption(const std::string& text) override;
    void setApplyEnabled(bool enabled) override;
    void setInstallationText(const std::string& text) override;
    void setOutlookText(const std::string& text) override;
    void addSourceProfile(const std::string& name) override;
    void addTargetProfile(const std::string& name) override;
    void setSourceProfileText(const std::string& name) override;
    void setTargetProfileText(const std::string& name) override;
    std::string sourceProfile() const override;
    std::string targetProfile() const override;
    bool backupItemChecked(int index) const override;
    void setBackupItemChecked(int index, bool checked) override;
    bool backupItemEnabled(int index) const override;
    void setBackupItemEnabled(int index, bool enabled) override;
    void setBackupItemTooltip(int index, const std::string& text) override;
    bool restoreItemChecked(int index) const override;
    void setRestoreItemChecked(int index, bool checked) override;
    bool restoreItemEnabled(int index) const override;
    void setRestoreItemEnabled(int index, bool enabled) override;
    void setTargetFileText(const std::string& text) override;
    std::string description() const override;
    bool protectChecked() const override;
    std::string password() const override;
    std::string password2() const override;
    void setPasswordBoxes(bool enabled) override;
    void setSourceFileText(const std::string& text) override;
    void setBackupFacts(const std::string& text) override;
    void setBackupDescription(const std::string& text) override;
    void showHelpWindow(const std::string& helpFile) override;
    bool writesDiscs() const override;
    void showDiscWindow(const std::string& fileTitle, const std::string& filePath) override;
    void quit() override;

protected:
    bool onInit() override;
    bool onCommand(int id, int code) override;
    bool onNotify(NMHDR& header, LRESULT& result) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    friend class ChildPanel;
    // Tab pages and buttons placed around the pages' own size; the busy
    // panel between the tabs and the buttons while it shows.
    void layOut();
    void showPageOfTab();
    void setCommandsEnabled(bool enabled);
    // The right button on an item frame: its pop-up menu.
    bool itemsMenu(HWND clicked, LPARAM at);
    // After each gesture: a quit asked during a run is done once it ended.
    void finishGesture();
    bool quitNow();

    WindowsContext& context_;
    MainGestures presenter_;
    ChildPanel backup_;
    ChildPanel restore_;
    ChildPanel busy_;
    ToolTips backupTips_;
    ToolTips restoreTips_;
    HACCEL shortcuts_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HICON panelIcon_ = nullptr;
    std::function<void()> quitAction_;
    bool applyAllowed_ = true;
    // The status bar's line: the Outlook, then the installation.
    std::string outlookText_, installationText_;
    void showStatusLine();
    bool busyShown_ = false;
    bool hourglass_ = false;
    bool quitPending_ = false;
    bool closed_ = false;
};

}  // namespace qm::win32gui
