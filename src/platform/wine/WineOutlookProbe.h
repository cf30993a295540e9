#pragma once
// Outlook's version as its installation registered it in the prefix: the
// current version of the "Outlook.Application" class.
#include "platform/Registry.h"
#include "platform/System.h"

namespace qm::platform::wine {

class WineOutlookProbe : public OutlookProbe {
public:
    // The registry must outlive this object.
    explicit WineOutlookProbe(Registry& registry) : registry_(registry) {}
    // "Outlook.Application.14" -> "14.0".
    bool outlookVersion(std::string& text) const override;

    // The version text for a CurVer value, false when it carries no number.
    static bool versionFromProgId(const std::string& progId, std::string& text);

private:
    Registry& registry_;
};

}  // namespace qm::platform::wine
