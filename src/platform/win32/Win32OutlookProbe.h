#pragma once
// Outlook's version as its installation registered it (the current version
// of Outlook.Application), as the Linux build knows every Outlook: told
// without starting Outlook. Only an installation that registered no current
// version is asked through its automation object (started, asked for
// Version and told to quit).
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
