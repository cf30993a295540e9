#pragma once
// The system facts a program inside the prefix would be given by Wine: the
// host's name as Wine's computer name, the Wine user and profile folders, the
// Windows version the prefix's registry claims, Wine's usual environment.
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/wine/WineFileSystem.h"

namespace qm::platform::wine {

class WineSystem : public System {
public:
    // `userName`, `workRoot` and `programFolder` are host texts (UTF-8); empty
    // ones take their defaults ($USER, the state folder, the executable's
    // folder). The registry and the file system must outlive this object.
    WineSystem(Registry& registry, const WineFileSystem& files, const std::string& userName,
               const std::string& workRoot, const std::string& programFolder);

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

    // Wine's computer name for a host name: the first label, upper case, at
    // most 15 characters (the NetBIOS limit).
    static std::string computerNameFor(const std::string& hostName);
    // The variables Wine sets for a program (ANSI names and values).
    std::vector<std::pair<std::string, std::string>> environment() const;
    // "12/8/2026 3:04:05 AM" for a local time.
    static std::string formatTime(const struct tm& local);

private:
    Registry& registry_;
    const WineFileSystem& files_;
    std::string user_;         // ANSI
    std::string workRoot_;     // host
    std::string programHost_;  // host
};

}  // namespace qm::platform::wine
