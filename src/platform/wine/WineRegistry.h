#pragma once
// The registry of a Wine prefix, read from and written to its user.reg
// (HKEY_CURRENT_USER) and system.reg (HKEY_LOCAL_MACHINE; HKEY_CLASSES_ROOT is
// its Software\Classes) in Wine's own file format.
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace qm::platform::wine {

class WineRegistry : public Registry {
public:
    // Loads the prefix's registry files. With `create`, missing files start
    // as empty registries (a new prefix); otherwise a missing user.reg is an
    // error. Null with `error` set (naming the file and line) on failure.
    static std::unique_ptr<WineRegistry> open(const std::string& prefixHostPath, bool create,
                                              std::string& error);
    ~WineRegistry() override;

    // Writes pending changes to disk now (atomically). False with `error`.
    virtual bool flush(std::string& error) = 0;

protected:
    WineRegistry() = default;
};

}  // namespace qm::platform::wine
