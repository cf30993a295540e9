#include "platform/wine/WineOutlookProbe.h"

#include "platform/OutlookRegistration.h"

namespace qm::platform::wine {

bool WineOutlookProbe::versionFromProgId(const std::string& progId, std::string& text) {
    return outlookVersionFromProgId(progId, text);
}

bool WineOutlookProbe::outlookVersion(std::string& text) const { return registeredOutlookVersion(registry_, text); }

}  // namespace qm::platform::wine
