#pragma once
// A run's progress as one line on standard error, rewritten in place: the
// status text and how far the run is. Only on a terminal; in a pipe or
// under cron nothing is written. The steps and texts are the window's
// (frontend::ProgressEvents drives it).
#include <string>

#include "app/ProgressView.h"

namespace qm::cli {

class ProgressLine : public app::ProgressView {
public:
    // `shown`: standard error is a terminal.
    explicit ProgressLine(bool shown) : shown_(shown) {}
    ~ProgressLine() override { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void showBusy(bool) override {}
    void setHourglass(bool) override {}
    void setStatus(const std::string& text) override;
    int progress() const override { return value_; }
    void setProgress(int value) override;
    void setFileLine(const std::string&) override {}
    void setPercentLine(const std::string& text) override;
    void yield() override {}

    // Takes the line away, so that messages and results start on a clean one.
    void clear();
    // The line as it stands, for the tests.
    std::string text() const;

private:
    void draw();

    bool shown_;
    std::string status_;
    std::string percentLine_;
    int value_ = 0;
    std::string drawn_;
};

}  // namespace qm::cli
