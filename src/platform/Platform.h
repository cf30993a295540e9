#pragma once
// The set of services one installation offers. Several can be open in one
// process (a backup from one installation restored into another).
#include <memory>
#include <utility>

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

    // Takes the services of a newly opened installation. Those already held
    // go first, last made first: the services that hold the registry and the
    // files go before those do, and all of them before their code page.
    void replace(std::unique_ptr<CodePage> page, std::unique_ptr<Registry> reg, std::unique_ptr<FileSystem> fs,
                 std::unique_ptr<System> sys, std::unique_ptr<OutlookProbe> probe) {
        outlook.reset();
        system.reset();
        files.reset();
        registry.reset();
        codePage = std::move(page);
        registry = std::move(reg);
        files = std::move(fs);
        system = std::move(sys);
        outlook = std::move(probe);
    }
};

}  // namespace qm::platform
