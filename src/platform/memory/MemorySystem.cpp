#include "platform/memory/MemorySystem.h"

#include <cctype>

namespace qm::platform::memory {
namespace {

class MemoryRunLock final : public RunLock {
public:
    explicit MemoryRunLock(std::shared_ptr<bool> held) : held_(std::move(held)) { *held_ = true; }
    ~MemoryRunLock() override { *held_ = false; }

private:
    std::shared_ptr<bool> held_;
};

}  // namespace

std::unique_ptr<RunLock> MemorySystem::lockInstallation(std::string& why) {
    if (*runLocked_) {
        why = "another run of this program is working on this installation";
        return nullptr;
    }
    return std::make_unique<MemoryRunLock>(runLocked_);
}

std::string MemorySystem::ExpandEnvironmentStringsA(const std::string& text) const {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto close = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
        if (close == std::string::npos) {
            out += text[i++];
            continue;
        }
        std::string name = text.substr(i + 1, close - i - 1);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const auto it = facts_.environment.find(name);
        // Unknown variables stay as written.
        out += it == facts_.environment.end() ? text.substr(i, close - i + 1) : it->second;
        i = close + 1;
    }
    return out;
}

}  // namespace qm::platform::memory
