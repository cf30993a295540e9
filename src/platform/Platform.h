#pragma once
// The set of services one installation offers. Several can be open in one
// process (a backup from one installation restored into another).
#include <memory>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace qm::platform {

struct Platform {
    // First, so that it goes last: the services below convert with it.
    std::unique_ptr<CodePage> codePage;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<FileSystem> files;
    std::unique_ptr<System> system;
    std::unique_ptr<OutlookProbe> outlook;
};

}  // namespace qm::platform
