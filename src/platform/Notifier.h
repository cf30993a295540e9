#pragma once
// A short message on the user's desktop, seen though no window of the
// program is open: how a scheduled backup that failed at night is heard.
// Freedesktop notifications on the user's session bus on Linux, a balloon
// of a tray icon on Windows.
#include <memory>
#include <string>

namespace qm::platform {

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows `summary` (one line) over `body` (UTF-8). False with an empty
    // reason when there is no desktop to show it on (no session bus, no
    // tray), which is no failure: the caller's record of the run stays the
    // trace; false with the reason when the desktop refused it.
    virtual bool notify(const std::string& summary, const std::string& body, std::string& why) = 0;
};

std::unique_ptr<Notifier> openNotifier();

}  // namespace qm::platform
