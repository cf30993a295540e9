#pragma once
// The services of one Wine prefix: its registry files, its drives and the
// system facts Wine would report inside it.
#include <string>

#include "platform/OpenPlatform.h"

namespace qm::platform::wine {

using WineOptions = PlatformOptions;

// Fills `out` with the prefix's services. False with a message naming the
// prefix (or the bad file and line) when they cannot be used.
bool openWinePlatform(const WineOptions& options, Platform& out, std::string& error);

}  // namespace qm::platform::wine
