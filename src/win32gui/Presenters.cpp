#include "win32gui/Presenters.h"

#include "base/WinPath.h"
#include "platform/OpenShell.h"

namespace qm::win32gui {

OpenedWindows::OpenedWindows() = default;
OpenedWindows::~OpenedWindows() = default;

bool OpenedWindows::open(const platform::PlatformOptions& options, std::string& why) {
    // What start-up learns is the window's load.
    std::string error;
    if (!installation_.open(options, frontend::Opening::ToWork, error)) {
        why = "The Outlook installation cannot be opened: " + error;
        return false;
    }
    shell_ = platform::openShell();
    context_ = std::make_unique<WindowsContext>(installation_.session(), installation_.scheduler(),
                                                installation_.program(), shell_.get());
    context_->place = installation_.place();
    return true;
}

void OpenWebsite(WindowsContext& context) {
    if (context.shell) context.shell->openWebPage(context.website);
}

namespace {

runs::MainContext mainContext(WindowsContext& context) {
    runs::MainContext taken;
    taken.place = context.place;
    // No other installation is opened in the window's place: the program
    // works on the Windows it runs in, for the user who runs it.
    taken.shell = context.shell;
    app::Session& s = context.session;
    taken.helpFile = base::joinPath(s.system.programFolder(), "help\\index.html", s.leads());
    taken.website = context.website;
    return taken;
}

}  // namespace

MainGestures::MainGestures(WindowsContext& context, app::MainView& view)
    : context_(context), presenter_(context.session, view, mainContext(context)) {}

bool MainGestures::running() const { return context_.session.running(); }

bool MainGestures::load() { return presenter_.InitializeMainWindow(); }

void MainGestures::tabChanged() { presenter_.TabChanged(); }

void MainGestures::protectClicked() { presenter_.ProtectClicked(); }

void MainGestures::sourceProfileChanged() {
    if (!running()) presenter_.SourceProfileChanged();
}

void MainGestures::chooseTargetFile() {
    if (!running()) presenter_.ChooseTargetFile();
}

void MainGestures::openBackupFile() {
    if (!running()) presenter_.OpenBackupFile();
}

void MainGestures::apply() {
    if (!running()) presenter_.ApplyPressed();
}

void MainGestures::backupNow() {
    if (!running()) presenter_.RunBackup();
}

void MainGestures::restoreNow() {
    if (!running()) presenter_.RunRestore();
}

void MainGestures::selectAll(bool backupItems) {
    if (!running()) presenter_.SelectAllItems(backupItems ? runs::ItemArray::Backup : runs::ItemArray::Restore);
}

void MainGestures::deselectAll(bool backupItems) {
    if (!running()) presenter_.DeselectAllItems(backupItems ? runs::ItemArray::Backup : runs::ItemArray::Restore);
}

void MainGestures::testBackupFile() {
    if (!running()) presenter_.TestBackupFile();
}

void MainGestures::openInstallation() {
    if (!running()) presenter_.OpenAnotherInstallation();
}

void MainGestures::cancel() { presenter_.CancelPressed(); }

void MainGestures::quit() { presenter_.Quit(); }

void MainGestures::openHelp() { presenter_.ShowHelp(); }

void MainGestures::openWebsite() { presenter_.ShowWebsite(); }

namespace {

options::OptionsContext optionsContext(const WindowsContext& context) {
    options::OptionsContext taken;
    taken.program = context.program;
    return taken;
}

}  // namespace

OptionsGestures::OptionsGestures(WindowsContext& context, options::OptionsView& view)
    : presenter_(context.session, view, optionsContext(context), context.keptOptions, context.scheduler) {}

void OptionsGestures::load() { presenter_.LoadOptionsWindow(); }
void OptionsGestures::sourceProfileChanged() { presenter_.SourceProfileChanged(); }
void OptionsGestures::browse() { presenter_.BrowseTargetFile(); }
void OptionsGestures::protectClicked() { presenter_.ProtectClicked(); }
void OptionsGestures::dailyClicked() { presenter_.DailyClicked(); }
void OptionsGestures::addTask() { presenter_.AddTaskToScheduler(); }
void OptionsGestures::openScheduler() { presenter_.OpenScheduler(); }

JobListGestures::JobListGestures(WindowsContext& context, options::JobListView& view)
    : history_(jobs::RunHistory::of(context.session)), presenter_(view, context.scheduler, &history_) {}

void JobListGestures::fill() { presenter_.FillJobList(); }
void JobListGestures::remove(std::uint32_t jobNumber) { presenter_.RemoveScheduledJob(jobNumber); }
void JobListGestures::runNow(std::uint32_t jobNumber) { presenter_.RunJobNow(jobNumber); }
void JobListGestures::poll() { presenter_.Poll(); }

}  // namespace qm::win32gui
