// The Wine services checked against Wine itself, in a real prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/wine/WinePlatform.h"
#include "support/WinePrefixFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using namespace qm::platform;

class WineServicesInterop : public WinePrefixTest {
protected:
    void SetUp() override {
        WinePrefixTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        wine::WineOptions options;
        options.prefix = prefix;
        options.workRoot = dir / "work";
        std::string error;
        ASSERT_TRUE(wine::openWinePlatform(options, platform, error)) << error;
    }
    // The lines Wine's cmd prints for `commands` (joined with " & ").
    std::vector<std::string> cmd(const std::string& commands) {
        std::string out;
        // Wine sometimes fails to start cmd on a loaded machine (a
        // ShellExecuteEx error before any command ran): that is tried again.
        // Only what the commands print is compared: Wine's own complaints
        // on stderr are not lines of theirs.
        int status = -1;
        for (int attempt = 0; attempt < 3 && status != 0; ++attempt)
            status = wine("cmd /c '" + commands + "' 2>/dev/null", &out);
        EXPECT_EQ(status, 0) << out;
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
        return lines;
    }
    // The attribute letters Wine's attrib shows for a file.
    static std::string flagsOf(const std::vector<std::string>& lines, const std::string& path) {
        for (const auto& l : lines)
            if (l.size() > path.size() && l.compare(l.size() - path.size(), path.size(), path) == 0)
                return l.substr(0, l.size() - path.size());
        return "(not listed)";
    }

    Platform platform;
};

TEST_F(WineServicesInterop, AttributesAreSharedWithWine) {
    auto& files = *platform.files;
    ASSERT_TRUE(files.createFolder("C:\\qm"));
    for (const char* n : {"ours_h.txt", "ours_s.txt", "ours_r.txt", "wine_h.txt", "wine_s.txt", "wine_r.txt"})
        ASSERT_TRUE(files.writeFile(std::string("C:\\qm\\") + n, "x"));
    ASSERT_TRUE(files.setAttributes("C:\\qm\\ours_h.txt", FileAttribute::Hidden));
    ASSERT_TRUE(files.setAttributes("C:\\qm\\ours_s.txt", FileAttribute::System));
    ASSERT_TRUE(files.setAttributes("C:\\qm\\ours_r.txt", FileAttribute::ReadOnly));

    auto lines = cmd("attrib +h C:\\qm\\wine_h.txt & attrib +s C:\\qm\\wine_s.txt & "
                     "attrib +r C:\\qm\\wine_r.txt & attrib C:\\qm\\*");
    EXPECT_NE(flagsOf(lines, "C:\\qm\\ours_h.txt").find('H'), std::string::npos);
    EXPECT_NE(flagsOf(lines, "C:\\qm\\ours_s.txt").find('S'), std::string::npos);
    EXPECT_NE(flagsOf(lines, "C:\\qm\\ours_r.txt").find('R'), std::string::npos);
    EXPECT_EQ(flagsOf(lines, "C:\\qm\\ours_r.txt").find('H'), std::string::npos);

    EXPECT_EQ(files.getAttributes("C:\\QM\\WINE_H.TXT"), FileAttribute::Archive | FileAttribute::Hidden);
    EXPECT_EQ(files.getAttributes("C:\\qm\\wine_s.txt"), FileAttribute::Archive | FileAttribute::System);
    EXPECT_EQ(files.getAttributes("C:\\qm\\wine_r.txt"), FileAttribute::Archive | FileAttribute::ReadOnly);
    EXPECT_FALSE(files.fileExists("C:\\qm\\wine_h.txt"));
    EXPECT_TRUE(files.fileExists("C:\\qm\\wine_r.txt"));

    // Cleared by us, clear for Wine.
    ASSERT_TRUE(files.setAttributes("C:\\qm\\wine_h.txt", FileAttribute::Normal));
    lines = cmd("attrib C:\\qm\\wine_h.txt");
    EXPECT_EQ(flagsOf(lines, "C:\\qm\\wine_h.txt").find('H'), std::string::npos);
}

TEST_F(WineServicesInterop, NamesEnvironmentAndVersionMatchWine) {
    const char* names[] = {"COMPUTERNAME", "USERNAME",     "USERPROFILE", "APPDATA",    "LOCALAPPDATA",
                           "TEMP",         "ALLUSERSPROFILE", "ProgramData", "SystemRoot", "windir",
                           "ProgramFiles", "PUBLIC",       "SystemDrive", "HOMEPATH"};
    std::string script;
    for (const char* n : names) script += std::string(script.empty() ? "" : " & ") + "echo %" + n + "%";
    script += " & ver";
    const auto lines = cmd(script);
    ASSERT_EQ(lines.size(), std::size(names) + 1);
    for (std::size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(platform.system->ExpandEnvironmentStringsA(std::string("%") + names[i] + "%"), lines[i]) << names[i];

    std::string computer, user;
    ASSERT_TRUE(platform.system->GetComputerNameA(computer));
    ASSERT_TRUE(platform.system->GetUserNameA(user));
    EXPECT_EQ(computer, lines[0]);
    EXPECT_EQ(user, lines[1]);
    // A fresh prefix: Windows 7, as "ver" prints it.
    OsVersion v;
    ASSERT_TRUE(platform.system->GetVersionExA(v));
    EXPECT_EQ(lines.back(), "Microsoft Windows " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                                std::to_string(v.build));
    // The profile folder the prefix has is the one the expansion names.
    EXPECT_TRUE(platform.files->folderExists(platform.system->ExpandEnvironmentStringsA("%UserProfile%")));
}

}  // namespace
}  // namespace qm::test
