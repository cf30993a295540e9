#pragma once
// An installation's registry held in memory, for tests of the layers above:
// the same contract as the real ones, and writes that can be refused on
// purpose (as a running wineserver or missing rights refuse them).
#include <string>

#include "platform/KeyTreeRegistry.h"

namespace qm::platform::memory {

class MemoryRegistry final : public KeyTreeRegistry {
public:
    using KeyTreeRegistry::KeyTreeRegistry;

    // From now on every change answers AccessDenied and problem() says why;
    // an empty text allows changes again.
    void refuseWrites(const std::string& why) { refusal_ = why; }
    std::string problem() const override { return refusal_; }

protected:
    RegStatus beginWrite() override { return refusal_.empty() ? RegStatus::Success : RegStatus::AccessDenied; }

private:
    std::string refusal_;
};

}  // namespace qm::platform::memory
