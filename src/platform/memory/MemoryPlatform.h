#pragma once
// An installation held entirely in memory, for tests of the layers above:
// Windows 7's folder layout under C:\users\<user>, with its compatibility
// links, and system facts the test may change.
#include <string>

#include "platform/Platform.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySystem.h"

namespace qm::platform::memory {

struct MemoryInstallation {
    MemoryRegistry* registry = nullptr;  // owned by the platform
    MemoryFileSystem* files = nullptr;
    MemorySystem* system = nullptr;
    MemoryOutlook* outlook = nullptr;
};

// Fills `out` with new services for a user (C:\users\<user>) and answers
// the concrete objects for set-up. `windows` "6.1" gives the AppData layout
// with the links "Application Data", "Local Settings" and "My Documents";
// "5.1" the older folders.
MemoryInstallation openMemoryPlatform(Platform& out, const std::string& user = "alice",
                                      const std::string& windows = "6.1");

}  // namespace qm::platform::memory
