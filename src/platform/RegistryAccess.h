#pragma once
// Whole values and names through the Registry interface, for callers that
// want bytes rather than Win32's buffers: each key is opened and closed
// within the call.
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace qm::platform {

// A key opened for the lifetime of the object, closed when it goes.
class OpenKey {
public:
    OpenKey(Registry& registry, KeyHandle root, const std::string& subKey, KeyAccess access);
    ~OpenKey();
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    RegStatus status() const { return status_; }
    bool ok() const { return status_ == RegStatus::Success; }
    KeyHandle key() const { return key_; }

private:
    Registry& registry_;
    KeyHandle key_ = 0;
    RegStatus status_;
};

// The value's type and bytes (string data with its terminator as stored).
// `view`: KeyAccess::Wow64_32Key or Wow64_64Key to read in that view.
RegStatus readValue(Registry& registry, KeyHandle root, const std::string& subKey, const std::string& name,
                    RegType& type, std::string& bytes, KeyAccess view = KeyAccess{});
// Creates the key (and its parents) when missing and sets the value.
RegStatus writeValue(Registry& registry, KeyHandle root, const std::string& subKey, const std::string& name,
                     RegType type, const std::string& bytes);
// A string value up to its first zero; false when missing or not a string.
bool readString(Registry& registry, KeyHandle root, const std::string& subKey, const std::string& name,
                std::string& text, KeyAccess view = KeyAccess{});

// Names of the direct subkeys / values, in the registry's order; empty when
// the key cannot be opened.
std::vector<std::string> subkeyNames(Registry& registry, KeyHandle root, const std::string& subKey);
std::vector<std::string> valueNames(Registry& registry, KeyHandle root, const std::string& subKey);

}  // namespace qm::platform
