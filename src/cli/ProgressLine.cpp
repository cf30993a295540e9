#include "cli/ProgressLine.h"

#include <cstdio>

#include "cli/Output.h"
#include "platform/Interrupt.h"

namespace qm::cli {
namespace {
// Narrower than any terminal, so the line never wraps and "\r" reaches its start.
constexpr std::size_t kWidth = 78;
}  // namespace

void ProgressLine::setStatus(const std::string& text) {
    status_ = text;
    draw();
}

void ProgressLine::setProgress(int value) {
    value_ = value;
    draw();
}

void ProgressLine::setPercentLine(const std::string& text) {
    percentLine_ = text;
    draw();
}

bool ProgressLine::cancelRequested() const { return platform::InterruptWatch::requested(); }

std::string ProgressLine::text() const {
    // The run's share first; a step that names its own figure (writing or
    // checking the archive) is not followed by the same figure again.
    std::string line = std::to_string(value_) + "%";
    if (!status_.empty()) line += "  " + status_;
    const bool stepHasFigure = !status_.empty() && status_.back() == '%';
    if (!percentLine_.empty() && !stepHasFigure) line += "  " + percentLine_;
    line = visible(line, true);
    if (line.size() > kWidth) line.resize(kWidth);
    return line;
}

void ProgressLine::draw() {
    if (!shown_) return;
    const std::string line = text();
    if (line == drawn_) return;
    // Blanks over what is left of a longer line before.
    const std::size_t pad = drawn_.size() > line.size() ? drawn_.size() - line.size() : 0;
    std::fprintf(stderr, "\r%s%s", line.c_str(), std::string(pad, ' ').c_str());
    if (pad) std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
    drawn_ = line;
}

void ProgressLine::clear() {
    if (!shown_ || drawn_.empty()) return;
    std::fprintf(stderr, "\r%s\r", std::string(drawn_.size(), ' ').c_str());
    std::fflush(stderr);
    drawn_.clear();
}

}  // namespace qm::cli
