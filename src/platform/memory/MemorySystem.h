#pragma once
// The system facts of an installation held in memory, set by the test.
#include <cstdint>
#include <map>
#include <string>

#include "platform/System.h"

namespace qm::platform::memory {

class MemorySystem final : public System {
public:
    // Win32 answers; `answers` false makes the call fail.
    struct Facts {
        std::string computerName = "QMTEST";
        std::string userName = "alice";
        std::string windowsFolder = "C:\\windows";
        OsVersion version{6, 1, 7601};
        std::string programFolder = "C:\\Program Files\\Quillmark";
        std::string workFolderRoot = "C:\\users\\alice\\AppData\\Local\\Quillmark";
        std::string now = "12/8/2026 3:04:05 AM";
        LocalDate today{2026, 12, 8};
        std::uint32_t processId = 4242;
        // Expanded by ExpandEnvironmentStringsA ("UserProfile" -> "C:\users\alice").
        std::map<std::string, std::string> environment{{"USERPROFILE", "C:\\users\\alice"}};
        bool answers = true;
    };

    MemorySystem() = default;
    explicit MemorySystem(Facts facts) : facts_(std::move(facts)) {}
    Facts& facts() { return facts_; }

    bool GetComputerNameA(std::string& out) const override { return answer(facts_.computerName, out); }
    bool GetUserNameA(std::string& out) const override { return answer(facts_.userName, out); }
    bool GetWindowsDirectoryA(std::string& out) const override { return answer(facts_.windowsFolder, out); }
    bool GetVersionExA(OsVersion& out) const override {
        if (!facts_.answers) return false;
        out = facts_.version;
        return true;
    }
    std::string ExpandEnvironmentStringsA(const std::string& text) const override;
    void Sleep(unsigned /*milliseconds*/) const override {}

    std::string programFolder() const override { return facts_.programFolder; }
    std::string workFolderRoot() const override { return facts_.workFolderRoot; }
    std::string nowText() const override { return facts_.now; }
    LocalDate today() const override { return facts_.today; }
    std::uint32_t processId() const override { return facts_.processId; }
    // Held by one run of this process at a time.
    std::unique_ptr<RunLock> lockInstallation(std::string& why) override;

private:
    bool answer(const std::string& value, std::string& out) const {
        if (!facts_.answers) return false;
        out = value;
        return true;
    }
    Facts facts_;
    std::shared_ptr<bool> runLocked_ = std::make_shared<bool>(false);
};

// Outlook's answer, set by the test.
class MemoryOutlook final : public OutlookProbe {
public:
    explicit MemoryOutlook(std::string text = "14.0.0.7015") : version(std::move(text)) {}
    bool outlookVersion(std::string& text) const override {
        if (!answers) return false;
        text = version;
        return true;
    }
    std::string version;
    bool answers = true;
};

}  // namespace qm::platform::memory
