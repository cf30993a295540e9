#pragma once
// Start-up: the argument text the process keeps, and what start-up learns
// of the installation without a window.
#include <string>

#include "app/Session.h"

namespace qm::app {

// "Quillmark V<version>", the version being the build's.
extern const char* const kMainCaption;
inline const char* const kAppTitle = "Quillmark";

// The start procedure: keeps the argument text (empty: interactive mode).
void StoreCommandLine(Session& session, const std::string& commandLine);

// What start-up learns of the installation, without a window: the names,
// the Windows and Outlook versions, the profiles of that Outlook, and (when
// there is one) the user's profile folder and the locations of the first
// profile. False when no usable Outlook profile was found.
bool LoadEnvironment(Session& session);

}  // namespace qm::app
