#include "win32gui/Presenters.h"

#include "app/Environment.h"
#include "app/Startup.h"
#include "app/ViewText.h"
#include "base/WinPath.h"
#include "platform/OpenPlatform.h"
#include "platform/OpenScheduler.h"
#include "platform/OpenShell.h"
#include "runs/Runs.h"
#include "runs/Texts.h"

namespace qm::win32gui {
namespace {

// Scheduling says why it cannot be done, each time it is asked.
class UnreachableScheduler : public platform::Scheduler {
public:
    explicit UnreachableScheduler(std::string why) : why_(std::move(why)) {}
    platform::JobAddResult NetScheduleJobAdd(const std::string&, const platform::AtInfo&) override {
        platform::JobAddResult result;
        result.reason = why_;
        return result;
    }
    platform::JobListResult listJobs() override {
        platform::JobListResult result;
        result.reason = why_;
        return result;
    }
    platform::SchedulerResult removeJob(std::uint32_t) override {
        platform::SchedulerResult result;
        result.reason = why_;
        return result;
    }

private:
    std::string why_;
};

}  // namespace

OpenedWindows::OpenedWindows() = default;

OpenedWindows::~OpenedWindows() {
    // The session lets go of its work folder before the services go.
    context_.reset();
    session_.reset();
}

bool OpenedWindows::open(std::string& why) {
    std::string error;
    if (!platform::openPlatform({}, platform_, error)) {
        why = "The Outlook installation cannot be opened: " + error;
        return false;
    }
    session_ = std::make_unique<app::Session>(platform_);
    if (!session_->hasWorkFolder()) {
        why = "No work folder can be made under " + platform_.codePage->toUtf8(platform_.system->workFolderRoot());
        return false;
    }
    std::string schedulerError;
    scheduler_ = platform::openScheduler({}, schedulerError);
    if (!scheduler_) scheduler_ = std::make_unique<UnreachableScheduler>(schedulerError);
    shell_ = platform::openShell();
    context_ = std::make_unique<WindowsContext>(*session_, *scheduler_, shell_.get());
    return true;
}

bool MainPresenter::running() const { return context_.session.running(); }

bool MainPresenter::load() { return app::InitializeMainWindow(context_.session, view_); }

void MainPresenter::tabChanged() { app::TabChanged(view_); }

void MainPresenter::protectClicked() { app::ProtectClicked(view_); }

void MainPresenter::sourceProfileChanged() {
    if (!running()) app::SourceProfileChanged(context_.session, view_);
}

void MainPresenter::chooseTargetFile() {
    if (!running()) app::ChooseTargetFile(context_.session, view_);
}

void MainPresenter::openBackupFile() {
    if (!running()) runs::OpenBackupFile(context_.session, view_);
}

void MainPresenter::apply() {
    if (!running()) runs::ApplyPressed(context_.session, view_);
}

void MainPresenter::backupNow() {
    if (!running()) runs::RunBackup(context_.session, view_);
}

void MainPresenter::restoreNow() {
    if (!running()) runs::RunRestore(context_.session, view_);
}

void MainPresenter::selectAll(bool backupItems) {
    if (!running()) app::SelectAllItems(view_, backupItems ? app::ItemArray::Backup : app::ItemArray::Restore);
}

void MainPresenter::deselectAll(bool backupItems) {
    if (!running()) app::DeselectAllItems(view_, backupItems ? app::ItemArray::Backup : app::ItemArray::Restore);
}

void MainPresenter::quit() { app::Quit(view_); }

void MainPresenter::openHelp() {
    // A missing page or browser shows what the system shows.
    app::Session& s = context_.session;
    if (context_.shell)
        context_.shell->openDocument(base::joinPath(s.system.programFolder(), "help\\index.html", s.leads()));
}

void OpenWebsite(WindowsContext& context) {
    if (context.shell) context.shell->openWebPage(context.website);
}

void MainPresenter::openWebsite() { OpenWebsite(context_); }

std::optional<app::Answer> MainPresenter::answeredWithoutAsking(const std::string& text) {
    if (text == runs::text::kDiscOffer) return app::Answer::Cancel;
    return std::nullopt;
}

OptionsPresenter::OptionsPresenter(WindowsContext& context, options::OptionsView& view) : context_(context) {
    // What the window takes from the rest of the program; picking a profile
    // here recomputes the locations the main window shares.
    app::Session& s = context_.session;
    const app::ViewText ui(s.codePage);
    for (const auto& name : s.state.ProfileNames) optionsContext_.profileNames.push_back(ui.shown(name));
    optionsContext_.outlookVersion = s.state.OutlookVersion;
    optionsContext_.programFolder = ui.shown(s.system.programFolder());
    optionsContext_.computerName = ui.shown(s.state.ComputerName);
    optionsContext_.itemAvailability = [&s, ui](const std::string& profile) {
        return app::ComputeProfileLocations(s, ui.typed(profile)).enabled;
    };
    session_ = std::make_unique<options::OptionsSession>(
        options::OptionsSession{view, optionsContext_, context_.keptOptions, context_.scheduler});
}

OptionsPresenter::~OptionsPresenter() = default;

void OptionsPresenter::load() { options::LoadOptionsWindow(*session_); }
void OptionsPresenter::sourceProfileChanged() { options::SourceProfileChanged(*session_); }
void OptionsPresenter::browse() { options::BrowseTargetFile(*session_); }
void OptionsPresenter::protectClicked() { options::ProtectClicked(*session_); }
void OptionsPresenter::dailyClicked() { options::DailyClicked(*session_); }
void OptionsPresenter::addTask() { options::AddTaskToScheduler(*session_); }
void OptionsPresenter::openScheduler() { options::OpenScheduler(*session_); }

void JobListPresenter::fill() { options::FillJobList(view_, context_.scheduler); }

void JobListPresenter::remove(std::uint32_t jobNumber) {
    options::RemoveScheduledJob(view_, context_.scheduler, jobNumber);
}

}  // namespace qm::win32gui
