#pragma once
// frmMain: the backup and restore tabs, the menus and the busy panel. It
// draws and forwards; every rule is in the presenters it calls.
#include <QMainWindow>
#include <QPointer>
#include <array>

#include "app/MainView.h"
#include "app/Startup.h"
#include "gui/GuiContext.h"
#include "runs/MainPresenter.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QAction;
class QDialog;

namespace qm::gui {

class MainWindow : public QMainWindow, public app::MainView {
    Q_OBJECT
public:
    explicit MainWindow(GuiContext& context);

    // The main window's load; false when no Outlook profile was found.
    bool load();

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
    void showDiscWindow(const std::string& fileTitle, const std::string& filePath) override;
    void quit() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeBackupTab();
    QWidget* makeRestoreTab();
    QFrame* makeBusyPanel();
    void makeMenus();
    void itemsMenu(QGroupBox* frame, runs::ItemArray items);
    // Runs a command unless a run works; the commands that start one are
    // off meanwhile.
    template <typename Command>
    void command(Command&& run);
    void setCommandsEnabled(bool enabled);
    void showOptions();
    void showAbout();
    // The tab order of the controls, as they are laid out.
    void orderTabs();

    GuiContext& context_;
    app::Session& session_;
    runs::MainPresenter presenter_;
    bool applyAllowed_ = true;
    bool quitting_ = false;

    QLabel* lblOutlook_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QComboBox* cbSource_ = nullptr;
    QComboBox* cbTarget_ = nullptr;
    std::array<QCheckBox*, 8> backupItems_{};
    std::array<QCheckBox*, 8> restoreItems_{};
    QLineEdit* txtTargetFile_ = nullptr;
    QPlainTextEdit* txtAttachInfo_ = nullptr;
    QCheckBox* ifprotect_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QLineEdit* txtPassword2_ = nullptr;
    QLineEdit* txtSourceFile_ = nullptr;
    QPlainTextEdit* txtPOBinfo_ = nullptr;
    QPlainTextEdit* txtFileInfo_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
    QPushButton* cmdTargetFile_ = nullptr;
    QPushButton* cmdSourceFile_ = nullptr;
    QPushButton* cmdAbout_ = nullptr;
    QPushButton* cmdQuit_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QLabel* lblInstallation_ = nullptr;
    QPointer<QDialog> help_;
    QFrame* picCon3_ = nullptr;
    QLabel* label1_ = nullptr;
    QProgressBar* pbshow_ = nullptr;
    QLabel* skinLabel9_ = nullptr;
    QLabel* skinLabel10_ = nullptr;
    std::vector<QAction*> runActions_;
};

}  // namespace qm::gui
