#pragma once
// What the main window offers the core. The Qt window implements it; tests
// use a recording fake, so no test ever waits on a dialog.
#include <optional>
#include <string>

#include "platform/Messages.h"

namespace qm::app {

enum class Tab { Backup = 0, Restore = 1 };

class MainView : public platform::MessageBox {
public:
    ~MainView() override = default;

    // Window.
    virtual void setCaption(const std::string& text) = 0;
    virtual void hideWindow() = 0;
    virtual Tab currentTab() const = 0;
    virtual void setApplyCaption(const std::string& text) = 0;
    virtual void setApplyEnabled(bool enabled) = 0;
    virtual void setHourglass(bool on) = 0;
    // Lets pending window events run once.
    virtual void yield() = 0;
    // The pause after an archive event; a view may shorten it (no one watches
    // an unattended run).
    virtual void pause(unsigned milliseconds) = 0;

    // Profile lists.
    virtual void addSourceProfile(const std::string& name) = 0;
    virtual void addTargetProfile(const std::string& name) = 0;
    virtual void setSourceProfileText(const std::string& name) = 0;
    virtual void setTargetProfileText(const std::string& name) = 0;
    virtual std::string sourceProfile() const = 0;
    virtual std::string targetProfile() const = 0;

    // Check boxes, index 0..7.
    virtual bool backupItemChecked(int index) const = 0;
    virtual void setBackupItemChecked(int index, bool checked) = 0;
    virtual bool backupItemEnabled(int index) const = 0;
    virtual void setBackupItemEnabled(int index, bool enabled) = 0;
    virtual void setBackupItemTooltip(int index, const std::string& text) = 0;
    virtual bool restoreItemChecked(int index) const = 0;
    virtual void setRestoreItemChecked(int index, bool checked) = 0;
    virtual bool restoreItemEnabled(int index) const = 0;
    virtual void setRestoreItemEnabled(int index, bool enabled) = 0;

    // Backup tab.
    virtual std::string description() const = 0;   // txtAttachInfo
    virtual bool protectChecked() const = 0;        // ifprotect
    virtual std::string password() const = 0;       // txtPassword
    virtual std::string password2() const = 0;      // txtPassword2

    // Restore tab.
    // The open dialog; empty when cancelled.
    virtual std::string chooseBackupFile(const std::string& title, const std::string& filter) = 0;
    // frmPwd; nullopt when cancelled.
    virtual std::optional<std::string> askPassword() = 0;
    virtual void setSourceFileText(const std::string& text) = 0;  // txtSourceFile
    virtual void setBackupFacts(const std::string& text) = 0;     // txtPOBinfo
    virtual void setBackupDescription(const std::string& text) = 0;  // txtFileInfo

    // Busy panel.
    virtual void showBusy(bool visible) = 0;              // picCon3
    virtual void setStatus(const std::string& text) = 0;  // Label1
    virtual int progress() const = 0;                     // pbshow
    virtual void setProgress(int value) = 0;
    virtual int progressMaximum() const { return 100; }
    virtual int progressMinimum() const { return 0; }
    virtual void setFileLine(const std::string& text) = 0;     // SkinLabel9
    virtual void setPercentLine(const std::string& text) = 0;  // SkinLabel10

    // The disc-writing window, shown modally with a file handed over.
    virtual void showDiscWindow(const std::string& fileTitle, const std::string& filePath) = 0;
    // Unloads the windows and ends the process's event loop.
    virtual void quit() = 0;
};

}  // namespace qm::app
