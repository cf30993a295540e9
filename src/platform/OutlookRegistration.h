#pragma once
// Outlook's version as its installation registered it: the current version
// of the "Outlook.Application" class ("Outlook.Application.14" -> "14.0").
// What can be told without starting Outlook.
#include <string>

#include "platform/Registry.h"

namespace qm::platform {

// False when no version is registered (for this user, for the machine in
// either registry view, or in Click-to-Run's view of the machine).
bool registeredOutlookVersion(Registry& registry, std::string& text);
// The version text for a CurVer value, false when it carries no number.
bool outlookVersionFromProgId(const std::string& progId, std::string& text);

}  // namespace qm::platform
