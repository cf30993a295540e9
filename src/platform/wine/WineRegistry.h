#pragma once
// The registry of a Wine prefix, read from and written to its user.reg
// (HKEY_CURRENT_USER) and system.reg (HKEY_LOCAL_MACHINE; HKEY_CLASSES_ROOT is
// its Software\Classes) in Wine's own file format.
#include <memory>
#include <string>

#include "platform/CodePage.h"
#include "platform/KeyTreeRegistry.h"

namespace qm::platform::wine {

class WineRegistry : public KeyTreeRegistry {
public:
    // Loads the prefix's registry files. With `create`, missing files start
    // as empty registries (a new prefix); otherwise a missing user.reg is an
    // error. Null with `error` set (naming the file and line) on failure.
    // The code page converts names and string data; it must outlive the
    // registry.
    static std::unique_ptr<WineRegistry> open(const std::string& prefixHostPath, bool create,
                                              const CodePage& codePage, std::string& error);
    ~WineRegistry() override;

    // Writes pending changes to disk now (atomically). False with `error`.
    virtual bool flush(std::string& error) = 0;

protected:
    using KeyTreeRegistry::KeyTreeRegistry;
};

}  // namespace qm::platform::wine
