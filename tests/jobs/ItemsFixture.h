#pragma once
// A sample Outlook installation opened as the program opens one (what
// start-up learns, the items of the first profile worked out), held in
// memory unless a test needs the host's own files (a Wine prefix in a
// temporary folder). Archives go to the host (Z:). The item operations are
// called one by one on the archive being built or the backup opened.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/Session.h"
#include "archive/Zip.h"
#include "items/ItemTable.h"
#include "items/Items.h"
#include "jobs/OpenBackup.h"
#include "platform/Platform.h"
#include "platform/memory/MemoryPlatform.h"
#include "sample/SampleInstallation.h"
#include "support/TempDir.h"

namespace qm::test {

enum class Backend { Memory, WinePrefix };

class Installation {
public:
    // Builds the sample and opens it; check ok() / error.
    explicit Installation(const sample::SampleOptions& options, Backend backend = Backend::Memory);
    ~Installation();

    bool ok() const { return session != nullptr; }
    app::Session& s() { return *session; }
    items::Items& items() { return *items_; }
    const sample::SampleProfile& profile(std::size_t i) const { return made.profiles.at(i); }

    // Files of the installation by Windows path.
    std::string readFile(const std::string& windowsPath) const;
    void writeFile(const std::string& windowsPath, const std::string& bytes);
    bool exists(const std::string& windowsPath) const;
    // The names of the files directly in a folder.
    std::vector<std::string> filesIn(const std::string& folder) const;
    // A file, or a folder with all it holds.
    void remove(const std::string& windowsPath);
    // The host path behind a Windows path (WinePrefix installations only).
    std::string host(const std::string& windowsPath) const;

    // Registry values by textual key path.
    bool binary(const std::string& key, const std::string& name, std::string& bytes) const;
    void setBinary(const std::string& key, const std::string& name, const std::string& bytes);
    bool hasValue(const std::string& key, const std::string& name) const;

    // A whole backup of every item of `profile`, as the backup run makes it.
    // Returns the ten result digits; `info` gets the information file as
    // stored.
    std::string backupAll(const std::string& profile, const std::string& archiveHostPath, std::string* info = nullptr);
    // For tests of single backup methods: the archive started and the
    // information file cleared; finish() stores the result and writes it.
    bool startArchive(const std::string& archiveHostPath);
    bool finish(const std::string& itemResult);
    std::string infoText() const;

    // Opens a backup file as a restore does; the item operations then take
    // their files from it and their values from `recorded`.
    bool openBackup(const std::string& archiveHostPath);
    // The items of the first profile that have data, as digits ("11110111").
    std::string availablePattern() const;
    // The backup openBackup opened.
    const jobs::OpenedBackup& openedBackup() const { return opened_; }

    std::string error;
    std::string why;  // the reason of the last refused archive step
    TempDir dir;
    std::string prefix;  // WinePrefix installations only
    sample::SampleInstallation made;
    platform::Platform platform;
    platform::memory::MemoryInstallation mem;  // Memory installations only
    std::unique_ptr<app::Session> session;
    // What start-up found of the first profile's items.
    items::ItemAvailability available;
    // The archive the item operations add to (backup) or take from (after
    // openBackup), and the values of the backup opened ("BackupItem" in
    // `flags`); tests may change them.
    std::unique_ptr<archive::Zip> zip;
    std::string flags;
    items::RecordedValues recorded{};

private:
    jobs::OpenedBackup opened_;
    std::unique_ptr<items::Items> items_;
};

sample::SampleOptions sampleOptions(const std::string& user, const std::string& outlook,
                                    const std::string& second = "");

// The names of an archive's entries on the host (read with libzip).
std::vector<std::string> archiveEntries(const std::string& archiveHostPath);
// The value of a key in an information-file text ("" when absent), and
// whether the key is there.
std::string infoValue(const std::string& info, const std::string& key, bool* present = nullptr);
// The host files below a folder whose name contains `part` (links not followed).
std::vector<std::string> findHostFiles(const std::string& root, const std::string& part);

}  // namespace qm::test
