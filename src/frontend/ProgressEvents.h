#pragma once
// A job's events shown on a progress view (a window's busy panel or the
// console's progress line): the status line of each part, the progress
// steps of the run's table, the archive's file and percentage lines, and
// the event loop kept turning.
#include <chrono>
#include <functional>
#include <string>

#include "app/MessageView.h"
#include "app/ProgressView.h"
#include "app/Session.h"
#include "app/ViewText.h"
#include "jobs/JobEvents.h"

namespace qm::frontend {

// Moves the bar by `amount`, kept inside its range.
void advance(app::ProgressView& view, int amount);
// The registry layer's notices, each in its own message box.
void showNotices(app::MessageView& view, const app::ViewText& ui, const std::vector<std::string>& notices);

class ProgressEvents : public jobs::JobEvents {
public:
    enum class Steps { Backup, Restore };
    // `stop` answers whether the user asked the run to stop; without it the
    // view is asked (cancelRequested()).
    ProgressEvents(const app::Session& session, app::ProgressView& view, Steps steps, std::function<bool()> stop = {});

    void partStarting(items::Part part) override;
    void partFinished(items::Part part, bool ran) override;
    void headerWritten() override { advance(view_, 10); }
    // Shown on the status line until the next part starts.
    void fileWarning(const std::string& warning) override { view_.setStatus(ui_.shown(warning)); }
    // On the status line, at the start of the run and again at its end.
    void installationInUse(const std::string& text) override { view_.setStatus(ui_.shown(text)); }
    void entryAdded(const std::string& name) override;
    void entryExtracted(const std::string& name) override;
    // The write and check of the archive as a whole: the bar's last stretch.
    void writeProgress(int percent) override;
    // "Writing the backup file 40%" (and "Write File 40%" on the percentage
    // line), "Checking the backup file 40%" on the status line.
    void archiveProgress(jobs::ArchiveStep step, int percent) override;
    void working() override;
    bool cancelled() override { return stop_ ? stop_() : view_.cancelRequested(); }

private:
    void yieldNow();

    app::ProgressView& view_;
    app::ViewText ui_;
    Steps steps_;
    std::function<bool()> stop_;
    std::chrono::steady_clock::time_point lastYield_;
    int writeFrom_ = -1;  // where the bar stood when the archive's write began
};

}  // namespace qm::frontend
