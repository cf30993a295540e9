#pragma once
// A sample Outlook installation in a temporary folder, opened as the
// program opens one (the Wine services, the main window's start-up with a
// recording view), plus the steps of a backup and of the opening of a
// backup file, so that item tests work on real archives.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/Session.h"
#include "items/Items.h"
#include "platform/Platform.h"
#include "sample/SampleInstallation.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace qm::test {

class Installation {
public:
    // Builds the sample and opens it; check ok() / error.
    explicit Installation(const sample::SampleOptions& options);
    ~Installation();

    bool ok() const { return session != nullptr; }
    app::Session& s() { return *session; }
    items::Items& items() { return *items_; }
    const sample::SampleProfile& profile(std::size_t i) const { return made.profiles.at(i); }

    // The host file or folder behind a Windows path of this installation.
    std::string host(const std::string& windowsPath) const;
    std::string readFile(const std::string& windowsPath) const { return readHostFile(host(windowsPath)); }
    bool hostExists(const std::string& windowsPath) const;

    // Registry values by textual key path.
    bool binary(const std::string& key, const std::string& name, std::string& bytes) const;
    void setBinary(const std::string& key, const std::string& name, const std::string& bytes);
    bool hasValue(const std::string& key, const std::string& name) const;

    // What a backup run does around the items: a new archive, every backup
    // method in run order for `profile`, "BackupItem", the information file,
    // the write. Returns the ten result digits; `info` gets the information
    // file as written.
    std::string backupAll(const std::string& profile, const std::string& archiveHostPath, std::string* info = nullptr);
    // The archive started and the information file cleared, for tests that
    // call single backup methods; finish() writes it.
    bool startArchive(const std::string& archiveHostPath);
    bool finish(const std::string& itemResult);
    std::string infoText() const;

    // What the opening of a backup file does: the archive opened, its
    // information file read, ItemFlags and ItemValues filled.
    bool openBackup(const std::string& archiveHostPath);

    std::string error;
    TempDir dir;
    std::string prefix;
    sample::SampleInstallation made;
    platform::Platform platform;
    FakeView view;
    std::unique_ptr<app::Session> session;

private:
    std::unique_ptr<items::Items> items_;
};

sample::SampleOptions sampleOptions(const std::string& user, const std::string& outlook,
                                    const std::string& second = "");

// The names of the archive's entries (read with libzip).
std::vector<std::string> archiveEntries(const std::string& archiveHostPath);
// The value of a key in an information-file text ("" when absent), and
// whether the key is there.
std::string infoValue(const std::string& info, const std::string& key, bool* present = nullptr);
// The host files below a folder whose name contains `part` (links not followed).
std::vector<std::string> findHostFiles(const std::string& root, const std::string& part);

inline const std::array<const char*, 10> kItemKeys = {
    "BackupConfig",     "BackupDatas", "BackupRules",         "BackupAccounts",  "BackupSignatures",
    "BackupStationery", "BackupPab",   "BackupConfigsetting", "BackupTemplates", "BackupSetting",
};

}  // namespace qm::test
