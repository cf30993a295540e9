#pragma once
// Outlook's version from Outlook itself: its automation object is started,
// asked for Version and told to quit. An Outlook that is registered but
// cannot be started (a damaged installation, or one made for tests) is
// known by its registration, as the Linux build knows every Outlook.
#include <string>

#include "platform/Registry.h"
#include "platform/System.h"

namespace qm::platform::win32 {

class Win32OutlookProbe final : public OutlookProbe {
public:
    // The registry must outlive this object.
    explicit Win32OutlookProbe(Registry& registry) : registry_(registry) {}
    // False when Outlook is not registered.
    bool outlookVersion(std::string& text) const override;

    // The automation object's answer alone.
    static bool versionFromAutomation(std::string& text);

private:
    Registry& registry_;
};

}  // namespace qm::platform::win32
