#pragma once
// System services: names, folders, versions, environment, time.
#include <cstdint>
#include <memory>
#include <string>

namespace qm::platform {

// One run at a time on an installation: held while it lives.
class RunLock {
public:
    virtual ~RunLock() = default;
};

struct LocalDate {
    int year = 0;   // 2026
    int month = 0;  // 1..12
    int day = 0;    // 1..31
};

struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
};

class System {
public:
    virtual ~System() = default;

    // Win32 forms: each answers false on failure and leaves `out` alone.
    virtual bool GetComputerNameA(std::string& out) const = 0;
    virtual bool GetUserNameA(std::string& out) const = 0;
    virtual bool GetWindowsDirectoryA(std::string& out) const = 0;
    virtual bool GetVersionExA(OsVersion& out) const = 0;
    // "%UserProfile%\x" -> "C:\users\bob\x"; unknown variables stay as written.
    virtual std::string ExpandEnvironmentStringsA(const std::string& text) const = 0;
    virtual void Sleep(unsigned milliseconds) const = 0;

    // Windows path of the program's folder (read-only for an ordinary user).
    virtual std::string programFolder() const = 0;
    // Windows path of the user's writable work folder; runs make their own
    // folders below it.
    virtual std::string workFolderRoot() const = 0;
    // Now, as the default short date and long time ("12/8/2026 3:04:05 AM").
    virtual std::string nowText() const = 0;
    // Today's date on the local clock.
    virtual LocalDate today() const = 0;
    // A number that differs between processes running at once.
    virtual std::uint32_t processId() const = 0;
    // The installation's run lock (the Wine prefix's folder; per user on
    // Windows), taken without waiting: null while another run holds it,
    // `why` then saying so. Every backup, restore and listing takes it.
    virtual std::unique_ptr<RunLock> lockInstallation(std::string& why) = 0;
};

// Outlook's version text ("14.0.0.7015"), or false when Outlook cannot tell.
class OutlookProbe {
public:
    virtual ~OutlookProbe() = default;
    virtual bool outlookVersion(std::string& text) const = 0;
};

}  // namespace qm::platform
