#pragma once
// What the main window offers the core. The Qt window implements it; tests
// use a recording fake, so no test ever waits on a dialog. Texts are UTF-8;
// the presenters convert them from and to the installation's code page.
#include <string>

#include "app/FileDialogs.h"
#include "app/MessageView.h"
#include "app/PasswordPrompt.h"
#include "app/ProgressView.h"

namespace qm::app {

enum class Tab { Backup = 0, Restore = 1 };

class MainView : public MessageView, public ProgressView, public PasswordPrompt, public FileDialogs {
public:
    ~MainView() override = default;

    // Window.
    virtual void setCaption(const std::string& text) = 0;
    virtual void hideWindow() = 0;
    virtual Tab currentTab() const = 0;
    virtual void setApplyCaption(const std::string& text) = 0;
    virtual void setApplyEnabled(bool enabled) = 0;
    // The installation the window works on (the Wine prefix and its user),
    // in the window's title or status bar.
    virtual void setInstallationText(const std::string& text) = 0;
    // The Outlook the window works on, shown above the tabs (one or two
    // lines, CR LF between them).
    virtual void setOutlookText(const std::string& text) = 0;

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
    virtual void setTargetFileText(const std::string& text) = 0;  // txtTargetFile
    virtual std::string description() const = 0;                 // txtAttachInfo
    virtual bool protectChecked() const = 0;                      // ifprotect
    virtual std::string password() const = 0;                     // txtPassword
    virtual std::string password2() const = 0;                    // txtPassword2
    // Enables (with the window colour) or disables (grey) both password
    // boxes and empties them.
    virtual void setPasswordBoxes(bool enabled) = 0;

    // Restore tab.
    virtual void setSourceFileText(const std::string& text) = 0;     // txtSourceFile
    virtual void setBackupFacts(const std::string& text) = 0;        // txtPOBinfo
    virtual void setBackupDescription(const std::string& text) = 0;  // txtFileInfo

    // The help page in a window of the program's own (when no browser can
    // show it); `helpFile` is its host path.
    virtual void showHelpWindow(const std::string& helpFile) = 0;
    // The disc-writing window, shown modally with a file handed over. A
    // build without disc writing (Windows) has none: no disc is offered.
    virtual bool writesDiscs() const { return true; }
    virtual void showDiscWindow(const std::string& fileTitle, const std::string& filePath) = 0;
    // Unloads the windows and ends the process's event loop.
    virtual void quit() = 0;
};

}  // namespace qm::app
