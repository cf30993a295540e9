#pragma once
// The busy panel of a window while a run works: status line, progress bar,
// the file and percentage lines of the archive, and the event loop. Texts
// are UTF-8.
//
// Long work runs on the window's own thread and keeps it answering by
// yielding: a run calls yield() between its steps and, through its events,
// at least every few hundredths of a second while the archive is written or
// read. yield() lets pending window events run once and returns at once; it
// never sleeps. While a run works its session says running(), and a window
// refuses or disables every command that would start another run.
#include <string>

namespace qm::app {

class ProgressView {
public:
    virtual ~ProgressView() = default;

    // picCon3, with its Cancel button (and Escape) that stops the run.
    virtual void showBusy(bool visible) = 0;
    virtual void setHourglass(bool on) = 0;
    virtual void setStatus(const std::string& text) = 0;  // Label1
    virtual int progress() const = 0;                     // pbshow
    virtual void setProgress(int value) = 0;
    virtual int progressMaximum() const { return 100; }
    virtual int progressMinimum() const { return 0; }
    // A view that wants a file name to stay readable for a while shows it
    // so on its own, without blocking.
    virtual void setFileLine(const std::string& text) = 0;     // SkinLabel9
    virtual void setPercentLine(const std::string& text) = 0;  // SkinLabel10
    // Lets pending window events run once.
    virtual void yield() = 0;
    // True when the user asked to stop the run now working (a window's
    // Cancel, the console's Ctrl+C).
    virtual bool cancelRequested() const { return false; }
};

}  // namespace qm::app
