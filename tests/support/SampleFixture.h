#pragma once
// Sample Outlook installations, in memory or in temporary Wine prefixes,
// and the outside tools (7-Zip, the built executable) that check what the
// runs wrote.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Session.h"
#include "platform/Platform.h"
#include "sample/SampleInstallation.h"
#include "support/TempDir.h"

namespace qm::test {

// Held in memory, unless the test runs the program itself on it (a Wine
// prefix in a temporary folder). The host's files are Z: in both.
enum class Backend { Memory, WinePrefix };

struct Installation {
    sample::SampleInstallation made;
    platform::Platform platform;
    std::string workRoot;  // host folder of the runs' work folders (WinePrefix)
};

class SampleTest : public ::testing::Test {
protected:
    // A sample installation (a WinePrefix one in dir/<name>), with its
    // services opened.
    Installation& install(const std::string& name, sample::SampleOptions options = {},
                          Backend backend = Backend::Memory);

    // The host folder of a Windows path inside a WinePrefix installation.
    static std::string hostOf(const Installation& inst, const std::string& windowsPath);
    // Files of an installation by Windows path.
    static bool exists(const Installation& inst, const std::string& windowsPath);
    static void writeFile(Installation& inst, const std::string& windowsPath, const std::string& bytes);
    static bool removeFile(Installation& inst, const std::string& windowsPath);
    // A folder and all it holds.
    static void removeTree(Installation& inst, const std::string& windowsPath);
    // File names in the run's work folder.
    static std::vector<std::string> workFiles(app::Session& session);

    TempDir dir;
    std::vector<std::unique_ptr<Installation>> installs;
};

// Runs a command; its standard output, and its exit status in `status`.
std::string capture(const std::string& command, int* status = nullptr);
std::string shq(const std::string& text);

// What 7-Zip sees in an archive.
std::vector<std::string> sevenZipEntries(const std::string& archive, const std::string& password = "");
std::string sevenZipRead(const std::string& archive, const std::string& entry, const std::string& password = "");
bool sevenZipTests(const std::string& archive, const std::string& password = "");
bool sevenZipEncrypted(const std::string& archive);

// The lines of an information file as key -> value (first occurrence) and
// the keys in file order.
struct InfoLines {
    std::vector<std::string> keys;
    std::map<std::string, std::string> values;
    std::string operator[](const std::string& key) const;
};
InfoLines parseInfo(const std::string& bytes);

// The entry names an information file says an archive holds.
std::vector<std::string> recordedEntries(const InfoLines& info);

// Every key and value of both hives, as text, for comparing a registry
// before and after.
std::string registryText(platform::Registry& registry);

// Byte-wise listing of a host folder (names only, sorted).
std::vector<std::string> hostFiles(const std::string& folder);

// The built executable and a command that runs it on an installation.
std::string binaryPath();
std::string quillmark(const Installation& inst, const std::string& arguments);

}  // namespace qm::test
