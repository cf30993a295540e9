#pragma once
// The system facts of the Windows the program runs on.
#include <string>

#include "platform/CodePage.h"
#include "platform/System.h"

namespace qm::platform::win32 {

class Win32System final : public System {
public:
    // `workRoot` and `programFolder` are ANSI Windows paths; empty ones take
    // their defaults (%LOCALAPPDATA%\Quillmark, the executable's folder).
    Win32System(std::string workRoot, std::string programFolder);

    bool GetComputerNameA(std::string& out) const override;
    bool GetUserNameA(std::string& out) const override;
    bool GetWindowsDirectoryA(std::string& out) const override;
    bool GetVersionExA(OsVersion& out) const override;
    std::string ExpandEnvironmentStringsA(const std::string& text) const override;
    void Sleep(unsigned milliseconds) const override;

    std::string programFolder() const override;
    std::string workFolderRoot() const override;
    std::string nowText() const override;
    LocalDate today() const override;
    std::uint32_t processId() const override;
    std::unique_ptr<RunLock> lockInstallation(std::string& why) override;

private:
    std::string workRoot_;
    std::string programFolder_;
};

}  // namespace qm::platform::win32
