#include "gui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Environment.h"
#include "gui/AboutDialog.h"
#include "gui/HelpWindow.h"
#include "gui/ItemControls.h"
#include "gui/MessageBoxes.h"
#include "gui/OptionsDialog.h"
#include "gui/PasswordDialog.h"
#include "options/OptionsTexts.h"
#include "runs/MainPresenter.h"

namespace qm::gui {
namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

// Texts as the controls keep them: CR LF as line breaks.
QString multiline(const std::string& text) {
    std::string t;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) t += text[i];
    return q(t);
}

}  // namespace

MainWindow::MainWindow(GuiContext& context)
    : context_(context), session_(context.session), presenter_(context.session, *this, context.main) {
    setObjectName(QStringLiteral("frmMain"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    lblOutlook_ = new QLabel(central);
    lblOutlook_->setObjectName(QStringLiteral("lblOutlook"));
    lblOutlook_->setWordWrap(true);
    QFont strong = lblOutlook_->font();
    strong.setBold(true);
    lblOutlook_->setFont(strong);
    layout->addWidget(lblOutlook_);

    tabs_ = new QTabWidget(central);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    tabs_->addTab(makeBackupTab(), QStringLiteral("Backup"));
    tabs_->addTab(makeRestoreTab(), QStringLiteral("Restore"));
    layout->addWidget(tabs_);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { presenter_.TabChanged(); });

    picCon3_ = makeBusyPanel();
    layout->addWidget(picCon3_);

    auto* buttons = new QHBoxLayout;
    cmdAbout_ = new QPushButton(QStringLiteral("&About"), central);
    cmdAbout_->setObjectName(QStringLiteral("cmdAbout"));
    cmdApply_ = new QPushButton(QStringLiteral("Backup &Now"), central);
    cmdApply_->setObjectName(QStringLiteral("cmdApply"));
    cmdApply_->setDefault(true);
    cmdQuit_ = new QPushButton(QStringLiteral("&Quit"), central);
    cmdQuit_->setObjectName(QStringLiteral("cmdQuit"));
    buttons->addWidget(cmdAbout_);
    buttons->addStretch();
    buttons->addWidget(cmdApply_);
    buttons->addWidget(cmdQuit_);
    layout->addLayout(buttons);
    connect(cmdAbout_, &QPushButton::clicked, this, [this] { showAbout(); });
    connect(cmdApply_, &QPushButton::clicked, this, [this] { command([this] { presenter_.ApplyPressed(); }); });
    connect(cmdQuit_, &QPushButton::clicked, this, [this] { presenter_.Quit(); });
    // Escape stops the run that works (and does nothing otherwise).
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { presenter_.CancelPressed(); });

    setCentralWidget(central);
    lblInstallation_ = new QLabel(this);
    lblInstallation_->setObjectName(QStringLiteral("lblInstallation"));
    statusBar()->addWidget(lblInstallation_, 1);
    statusBar()->setSizeGripEnabled(false);
    makeMenus();
    orderTabs();
}

void MainWindow::orderTabs() {
    // As the controls are laid out: the What frame, then the Where frame,
    // then the buttons below the tabs.
    std::vector<QWidget*> backup{cbSource_};
    backup.insert(backup.end(), backupItems_.begin(), backupItems_.end());
    for (QWidget* w : {static_cast<QWidget*>(txtTargetFile_), static_cast<QWidget*>(cmdTargetFile_),
                       static_cast<QWidget*>(txtAttachInfo_), static_cast<QWidget*>(ifprotect_),
                       static_cast<QWidget*>(txtPassword_), static_cast<QWidget*>(txtPassword2_)})
        backup.push_back(w);
    std::vector<QWidget*> restore{txtSourceFile_, cmdSourceFile_, txtPOBinfo_, txtFileInfo_, cbTarget_};
    restore.insert(restore.end(), restoreItems_.begin(), restoreItems_.end());
    QWidget::setTabOrder(tabs_, backup.front());
    for (std::size_t i = 1; i < backup.size(); ++i) QWidget::setTabOrder(backup[i - 1], backup[i]);
    QWidget::setTabOrder(backup.back(), restore.front());
    for (std::size_t i = 1; i < restore.size(); ++i) QWidget::setTabOrder(restore[i - 1], restore[i]);
    QWidget::setTabOrder(restore.back(), cmdCancel_);
    QWidget::setTabOrder(cmdCancel_, cmdAbout_);
    QWidget::setTabOrder(cmdAbout_, cmdApply_);
    QWidget::setTabOrder(cmdApply_, cmdQuit_);
}

QWidget* MainWindow::makeBackupTab() {
    auto* tab = new QWidget;
    auto* layout = new QHBoxLayout(tab);

    const WhatFrame what = makeWhatFrame(tab, QStringLiteral("&Profile to backup"), QStringLiteral("cbSource"),
                                         QStringLiteral("Items to backup"), QStringLiteral("backupitem"), backupItems_);
    cbSource_ = what.profiles;
    connect(cbSource_, &QComboBox::activated, this, [this] { command([this] { presenter_.SourceProfileChanged(); }); });
    what.items->setObjectName(QStringLiteral("backupItems"));
    itemsMenu(what.items, runs::ItemArray::Backup);
    layout->addWidget(what.frame, 3);

    auto* where = new QGroupBox(QStringLiteral("Where"), tab);
    auto* whereLayout = new QGridLayout(where);
    auto* targetLabel = new QLabel(QStringLiteral("Choose a back&up finename"), where);
    whereLayout->addWidget(targetLabel, 0, 0, 1, 2);
    txtTargetFile_ = new QLineEdit(where);
    txtTargetFile_->setObjectName(QStringLiteral("txtTargetFile"));
    txtTargetFile_->setReadOnly(true);
    targetLabel->setBuddy(txtTargetFile_);
    cmdTargetFile_ = new QPushButton(QStringLiteral("&Browse..."), where);
    cmdTargetFile_->setObjectName(QStringLiteral("cmdTargetFile"));
    whereLayout->addWidget(txtTargetFile_, 1, 0);
    whereLayout->addWidget(cmdTargetFile_, 1, 1);
    connect(cmdTargetFile_, &QPushButton::clicked, this,
            [this] { command([this] { presenter_.ChooseTargetFile(); }); });
    auto* descriptionLabel = new QLabel(QStringLiteral("&Description"), where);
    whereLayout->addWidget(descriptionLabel, 2, 0, 1, 2);
    txtAttachInfo_ = new QPlainTextEdit(where);
    txtAttachInfo_->setObjectName(QStringLiteral("txtAttachInfo"));
    descriptionLabel->setBuddy(txtAttachInfo_);
    // Tab goes on to the next control: a description holds no TABs.
    txtAttachInfo_->setTabChangesFocus(true);
    txtAttachInfo_->setPlaceholderText(QStringLiteral("What this backup holds, for whoever restores it"));
    whereLayout->addWidget(txtAttachInfo_, 3, 0, 1, 2);
    whereLayout->setRowStretch(3, 1);

    const SecurityFrame security = makeSecurityFrame(where);
    ifprotect_ = security.protect;
    txtPassword_ = security.password;
    txtPassword_->setMaxLength(20);
    txtPassword2_ = security.retyped;
    txtPassword2_->setMaxLength(32767);
    connect(ifprotect_, &QCheckBox::clicked, this, [this] { presenter_.ProtectClicked(); });
    whereLayout->addWidget(security.frame, 4, 0, 1, 2);
    layout->addWidget(where, 2);
    return tab;
}

QWidget* MainWindow::makeRestoreTab() {
    auto* tab = new QWidget;
    auto* layout = new QHBoxLayout(tab);

    auto* where = new QGroupBox(QStringLiteral("Where"), tab);
    auto* whereLayout = new QGridLayout(where);
    auto* sourceLabel = new QLabel(QStringLiteral("Choose a Backup File &to Restore From"), where);
    whereLayout->addWidget(sourceLabel, 0, 0, 1, 2);
    txtSourceFile_ = new QLineEdit(where);
    txtSourceFile_->setObjectName(QStringLiteral("txtSourceFile"));
    txtSourceFile_->setReadOnly(true);
    sourceLabel->setBuddy(txtSourceFile_);
    cmdSourceFile_ = new QPushButton(QStringLiteral("&Browse..."), where);
    cmdSourceFile_->setObjectName(QStringLiteral("cmdSourceFile"));
    whereLayout->addWidget(txtSourceFile_, 1, 0);
    whereLayout->addWidget(cmdSourceFile_, 1, 1);
    connect(cmdSourceFile_, &QPushButton::clicked, this, [this] { command([this] { presenter_.OpenBackupFile(); }); });
    txtPOBinfo_ = new QPlainTextEdit(where);
    txtPOBinfo_->setObjectName(QStringLiteral("txtPOBinfo"));
    txtPOBinfo_->setReadOnly(true);
    txtPOBinfo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    whereLayout->addWidget(txtPOBinfo_, 2, 0, 1, 2);
    auto* infoLabel = new QLabel(QStringLiteral("&Description"), where);
    whereLayout->addWidget(infoLabel, 3, 0, 1, 2);
    txtFileInfo_ = new QPlainTextEdit(where);
    txtFileInfo_->setObjectName(QStringLiteral("txtFileInfo"));
    infoLabel->setBuddy(txtFileInfo_);
    txtPOBinfo_->setTabChangesFocus(true);
    txtFileInfo_->setTabChangesFocus(true);
    txtFileInfo_->setReadOnly(true);
    txtFileInfo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    whereLayout->addWidget(txtFileInfo_, 4, 0, 1, 2);
    layout->addWidget(where, 2);

    const WhatFrame what =
        makeWhatFrame(tab, QStringLiteral("Restore to &profile"), QStringLiteral("cbTarget"),
                      QStringLiteral("Items to restore"), QStringLiteral("restoreitem"), restoreItems_, true);
    cbTarget_ = what.profiles;
    what.items->setObjectName(QStringLiteral("restoreItems"));
    for (QCheckBox* item : restoreItems_) item->setEnabled(false);
    itemsMenu(what.items, runs::ItemArray::Restore);
    layout->addWidget(what.frame, 3);
    return tab;
}

QFrame* MainWindow::makeBusyPanel() {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("picCon3"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QGridLayout(panel);
    auto* picture = new QLabel(panel);
    picture->setPixmap(windowIcon().pixmap(32, 32));
    layout->addWidget(picture, 0, 0, 2, 1);
    label1_ = new QLabel(QStringLiteral("Please Waiting"), panel);
    label1_->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(label1_, 0, 1);
    pbshow_ = new QProgressBar(panel);
    pbshow_->setObjectName(QStringLiteral("pbshow"));
    pbshow_->setRange(0, 100);
    pbshow_->setValue(0);
    // The bar is the whole run; a number on it would be a third figure
    // beside the step's own on the status and percentage lines.
    pbshow_->setTextVisible(false);
    layout->addWidget(pbshow_, 1, 1);
    skinLabel9_ = new QLabel(panel);
    skinLabel9_->setObjectName(QStringLiteral("SkinLabel9"));
    layout->addWidget(skinLabel9_, 2, 1);
    skinLabel10_ = new QLabel(panel);
    skinLabel10_->setObjectName(QStringLiteral("SkinLabel10"));
    layout->addWidget(skinLabel10_, 3, 1);
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), panel);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setToolTip(
        QStringLiteral("Stop the run (Esc). A backup leaves the backup file that was there as it was."));
    layout->addWidget(cmdCancel_, 1, 2);
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { presenter_.CancelPressed(); });
    panel->hide();
    return panel;
}

void MainWindow::makeMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File(&F)"));
    QAction* backupNow = file->addAction(QStringLiteral("Backup Now"));
    backupNow->setObjectName(QStringLiteral("mnuBackupNow"));
    backupNow->setShortcut(QKeySequence(QStringLiteral("Ctrl+B")));
    connect(backupNow, &QAction::triggered, this, [this] { command([this] { presenter_.RunBackup(); }); });
    QAction* restoreNow = file->addAction(QStringLiteral("Restore Now"));
    restoreNow->setObjectName(QStringLiteral("restorenow"));
    restoreNow->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    connect(restoreNow, &QAction::triggered, this, [this] { command([this] { presenter_.RunRestore(); }); });
    QAction* test = file->addAction(QStringLiteral("&Test Backup File..."));
    test->setObjectName(QStringLiteral("mnuTestBackup"));
    test->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    connect(test, &QAction::triggered, this, [this] { command([this] { presenter_.TestBackupFile(); }); });
    file->addSeparator();
    QAction* installation = file->addAction(QStringLiteral("Open &Installation..."));
    installation->setObjectName(QStringLiteral("mnuOpenInstallation"));
    connect(installation, &QAction::triggered, this,
            [this] { command([this] { presenter_.OpenAnotherInstallation(); }); });
    file->addSeparator();
    QAction* quitAction = file->addAction(QStringLiteral("Quit"));
    quitAction->setObjectName(QStringLiteral("mnuQuit"));
    quitAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(quitAction, &QAction::triggered, this, [this] { presenter_.Quit(); });

    QMenu* option = menuBar()->addMenu(QStringLiteral("Option(&O)"));
    QAction* scheduler = option->addAction(QStringLiteral("Task Scheduler"));
    scheduler->setObjectName(QStringLiteral("mnuTaskScheduler"));
    connect(scheduler, &QAction::triggered, this, [this] { command([this] { showOptions(); }); });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    QAction* disc = tools->addAction(QStringLiteral("Backup Data to CD/DVD"));
    disc->setObjectName(QStringLiteral("mnuDisc"));
    connect(disc, &QAction::triggered, this, [this] { command([this] { showDiscWindow({}, {}); }); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help(&H)"));
    QAction* helpAction = help->addAction(QStringLiteral("Help"));
    helpAction->setObjectName(QStringLiteral("mnuHelp"));
    helpAction->setShortcut(QKeySequence(QStringLiteral("F1")));
    connect(helpAction, &QAction::triggered, this, [this] { presenter_.ShowHelp(); });
    QAction* website = help->addAction(QStringLiteral("Our Website"));
    website->setObjectName(QStringLiteral("mnuWebsite"));
    website->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    connect(website, &QAction::triggered, this, [this] { presenter_.ShowWebsite(); });
    QAction* about = help->addAction(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    about->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    connect(about, &QAction::triggered, this, [this] { showAbout(); });

    runActions_ = {backupNow, restoreNow, test, installation, scheduler, disc};
}

void MainWindow::itemsMenu(QGroupBox* frame, runs::ItemArray items) {
    frame->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(frame, &QWidget::customContextMenuRequested, this, [this, frame, items](const QPoint& at) {
        if (session_.running()) return;
        QMenu menu(frame);
        menu.setObjectName(items == runs::ItemArray::Backup ? QStringLiteral("backupItemsMenu")
                                                            : QStringLiteral("restoreItemsMenu"));
        QAction* all = menu.addAction(QStringLiteral("Select all items"));
        QAction* none = menu.addAction(QStringLiteral("Deselect all items"));
        QAction* chosen = menu.exec(frame->mapToGlobal(at));
        if (chosen == all) presenter_.SelectAllItems(items);
        if (chosen == none) presenter_.DeselectAllItems(items);
    });
}

template <typename Command>
void MainWindow::command(Command&& run) {
    // The window answers while a run works; nothing may start another.
    if (session_.running()) return;
    run();
}

void MainWindow::setCommandsEnabled(bool enabled) {
    cmdApply_->setEnabled(enabled && applyAllowed_);
    cmdTargetFile_->setEnabled(enabled);
    cmdSourceFile_->setEnabled(enabled);
    for (QAction* action : runActions_) action->setEnabled(enabled);
}

bool MainWindow::load() { return presenter_.InitializeMainWindow(); }

void MainWindow::showOptions() {
    OptionsDialog dialog(context_, this);
    dialog.exec();
}

void MainWindow::showAbout() {
    AboutDialog dialog(context_, this);
    dialog.exec();
}

void MainWindow::showHelpWindow(const std::string& helpFile) {
    // One help window, brought to the front when it is open already.
    if (!help_) {
        help_ = new HelpWindow(q(helpFile), this);
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

app::Answer MainWindow::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return MessageBoxes::show(isVisible() ? this : nullptr, text, icon, buttons);
}

void MainWindow::showBusy(bool visible) {
    picCon3_->setVisible(visible);
    cmdCancel_->setEnabled(visible);
    setCommandsEnabled(!visible);
    if (visible) cmdCancel_->setFocus();
}

void MainWindow::setHourglass(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::setStatus(const std::string& text) { label1_->setText(q(text)); }
int MainWindow::progress() const { return pbshow_->value(); }
void MainWindow::setProgress(int value) { pbshow_->setValue(value); }
void MainWindow::setFileLine(const std::string& text) { skinLabel9_->setText(q(text)); }
void MainWindow::setPercentLine(const std::string& text) { skinLabel10_->setText(q(text)); }
void MainWindow::yield() { QApplication::processEvents(QEventLoop::AllEvents); }

std::optional<std::string> MainWindow::askPassword() { return PasswordDialog::ask(this); }

std::string MainWindow::chooseFileToOpen(const std::string& title, const std::string& filter) {
    return FilePickers::open(this, title, filter);
}

std::string MainWindow::chooseFileToSave(const std::string& title, const std::string& filter,
                                         const std::string& proposedName) {
    return FilePickers::save(this, title, filter, proposedName);
}

std::string MainWindow::chooseFolder(const std::string& title, const std::string& start) {
    return FilePickers::folder(this, title, start);
}

std::string MainWindow::chooseFromList(const std::string& title, const std::string& label,
                                       const std::vector<std::string>& choices, const std::string& current) {
    return FilePickers::choose(this, title, label, choices, current);
}

void MainWindow::setCaption(const std::string& text) { setWindowTitle(q(text)); }
void MainWindow::hideWindow() { hide(); }
app::Tab MainWindow::currentTab() const { return tabs_->currentIndex() == 1 ? app::Tab::Restore : app::Tab::Backup; }
void MainWindow::setApplyCaption(const std::string& text) {
    // "Backup Now", "Restore Now": the same mnemonic on either tab.
    const QString caption = q(text);
    const int now = caption.lastIndexOf(QStringLiteral("Now"));
    cmdApply_->setText(now < 0 ? caption : withMnemonic(caption, now));
}

void MainWindow::setInstallationText(const std::string& text) {
    lblInstallation_->setText(q(text));
    lblInstallation_->setToolTip(q(text));
}

void MainWindow::setApplyEnabled(bool enabled) {
    applyAllowed_ = enabled;
    cmdApply_->setEnabled(enabled);
}

void MainWindow::setOutlookText(const std::string& text) { lblOutlook_->setText(multiline(text)); }

void MainWindow::addSourceProfile(const std::string& name) { cbSource_->addItem(q(name)); }
void MainWindow::addTargetProfile(const std::string& name) { cbTarget_->addItem(q(name)); }
void MainWindow::setSourceProfileText(const std::string& name) { cbSource_->setCurrentText(q(name)); }
void MainWindow::setTargetProfileText(const std::string& name) { cbTarget_->setCurrentText(q(name)); }
std::string MainWindow::sourceProfile() const { return cbSource_->currentText().toStdString(); }
std::string MainWindow::targetProfile() const { return cbTarget_->currentText().toStdString(); }

bool MainWindow::backupItemChecked(int i) const { return backupItems_.at(static_cast<std::size_t>(i))->isChecked(); }
void MainWindow::setBackupItemChecked(int i, bool c) { backupItems_.at(static_cast<std::size_t>(i))->setChecked(c); }
bool MainWindow::backupItemEnabled(int i) const { return backupItems_.at(static_cast<std::size_t>(i))->isEnabled(); }
void MainWindow::setBackupItemEnabled(int i, bool e) { backupItems_.at(static_cast<std::size_t>(i))->setEnabled(e); }
void MainWindow::setBackupItemTooltip(int i, const std::string& text) {
    backupItems_.at(static_cast<std::size_t>(i))->setToolTip(q(text));
}
bool MainWindow::restoreItemChecked(int i) const { return restoreItems_.at(static_cast<std::size_t>(i))->isChecked(); }
void MainWindow::setRestoreItemChecked(int i, bool c) { restoreItems_.at(static_cast<std::size_t>(i))->setChecked(c); }
bool MainWindow::restoreItemEnabled(int i) const { return restoreItems_.at(static_cast<std::size_t>(i))->isEnabled(); }
void MainWindow::setRestoreItemEnabled(int i, bool e) { restoreItems_.at(static_cast<std::size_t>(i))->setEnabled(e); }

void MainWindow::setTargetFileText(const std::string& text) { showPath(txtTargetFile_, q(text)); }
std::string MainWindow::description() const {
    // The core keeps a description's line breaks as CR LF.
    return txtAttachInfo_->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
}
bool MainWindow::protectChecked() const { return ifprotect_->isChecked(); }
std::string MainWindow::password() const { return txtPassword_->text().toStdString(); }
std::string MainWindow::password2() const { return txtPassword2_->text().toStdString(); }

void MainWindow::setPasswordBoxes(bool enabled) {
    txtPassword_->clear();
    txtPassword2_->clear();
    paintPasswordBox(txtPassword_, enabled);
    paintPasswordBox(txtPassword2_, enabled);
}

void MainWindow::setSourceFileText(const std::string& text) { showPath(txtSourceFile_, q(text)); }
void MainWindow::setBackupFacts(const std::string& text) { txtPOBinfo_->setPlainText(multiline(text)); }
void MainWindow::setBackupDescription(const std::string& text) { txtFileInfo_->setPlainText(multiline(text)); }

void MainWindow::showDiscWindow(const std::string& fileTitle, const std::string& filePath) {
    if (context_.openDiscWindow) context_.openDiscWindow(this, fileTitle, filePath);
}

void MainWindow::quit() {
    quitting_ = true;
    close();
    QApplication::closeAllWindows();
    QApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        event->accept();
        return;
    }
    // The presenter decides: quit now, or (while a run works, after a
    // question) once the run has stopped. Asked after this event, so that
    // quitting does not close the window from inside its own close.
    event->ignore();
    QTimer::singleShot(0, this, [this] { presenter_.Quit(); });
}

}  // namespace qm::gui
