#include "frontend/ProgressEvents.h"

#include <algorithm>

#include "frontend/Texts.h"

namespace qm::frontend {
namespace {
// How long the window may go without answering while a run works.
constexpr auto kYieldInterval = std::chrono::milliseconds(20);
}  // namespace

void advance(app::ProgressView& view, int amount) {
    view.setProgress(std::clamp(view.progress() + amount, view.progressMinimum(), view.progressMaximum()));
}

void showNotices(app::MessageView& view, const app::ViewText& ui, const std::vector<std::string>& notices) {
    for (const auto& notice : notices) view.showMessage(ui.shown(notice), app::Icon::None, app::Buttons::Ok);
}

ProgressEvents::ProgressEvents(const app::Session& session, app::ProgressView& view, Steps steps,
                               std::function<bool()> stop)
    : view_(view),
      ui_(session.codePage),
      steps_(steps),
      stop_(std::move(stop)),
      lastYield_(std::chrono::steady_clock::now()) {}

void ProgressEvents::partStarting(items::Part part) { view_.setStatus(items::partInfo(part).status); }

void ProgressEvents::partFinished(items::Part part, bool ran) {
    const items::PartInfo& info = items::partInfo(part);
    if (steps_ == Steps::Backup) {
        advance(view_, info.backupStep + (ran ? info.backupStepWhenRan : 0));
        return;
    }
    for (int amount : info.restoreAdvances)
        if (amount >= 0) advance(view_, amount);
}

void ProgressEvents::entryAdded(const std::string& name) {
    view_.setFileLine("Adding File " + ui_.shown(name));
    yieldNow();
}

void ProgressEvents::entryExtracted(const std::string& name) {
    view_.setFileLine("Unzip File " + ui_.shown(name));
    yieldNow();
}

void ProgressEvents::writeProgress(int percent) {
    // The archive's write and check are most of a backup's time: the bar
    // moves with them over what is left of it, instead of standing still
    // near its end.
    if (writeFrom_ < 0) writeFrom_ = view_.progress();
    const int to = writeFrom_ + (view_.progressMaximum() - writeFrom_) * std::clamp(percent, 0, 100) / 100;
    if (to > view_.progress()) view_.setProgress(to);
    working();
}

void ProgressEvents::archiveProgress(jobs::ArchiveStep step, int percent) {
    // One figure per step: the percentage line follows the write, the
    // status line names the step with the same number.
    view_.setStatus((step == jobs::ArchiveStep::Writing ? text::kWritingBackupFile : text::kCheckingBackupFile) +
                    std::to_string(percent) + "%");
    if (step == jobs::ArchiveStep::Writing) view_.setPercentLine("Write File " + std::to_string(percent) + "%");
    // A step that starts is shown at once.
    if (percent == 0)
        yieldNow();
    else
        working();
}

void ProgressEvents::working() {
    if (std::chrono::steady_clock::now() - lastYield_ >= kYieldInterval) yieldNow();
}

void ProgressEvents::yieldNow() {
    view_.yield();
    lastYield_ = std::chrono::steady_clock::now();
}

}  // namespace qm::frontend
