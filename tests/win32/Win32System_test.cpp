// The system services of the Win32 platform as start-up reads them, and
// Outlook's version where no Outlook is installed.
#include <windows.h>
// This file reads ApplicationState::LogonUser, not the Win32 function.
#undef LogonUser

#include <regex>

#include "app/Environment.h"
#include "app/Session.h"
#include "app/Startup.h"
#include "platform/RegistryAccess.h"
#include "win32/Win32Fixture.h"

namespace qm::test {
namespace {

using namespace qm::platform;

TEST_F(Win32Test, NamesAndFoldersComeWithoutTerminatorsOrPadding) {
    std::string computer, user, windows;
    ASSERT_TRUE(platform.system->GetComputerNameA(computer));
    ASSERT_TRUE(platform.system->GetUserNameA(user));
    ASSERT_TRUE(platform.system->GetWindowsDirectoryA(windows));
    // The texts Windows gives the environment too, with nothing of the
    // buffers around them.
    EXPECT_EQ(computer, env("COMPUTERNAME"));
    EXPECT_LE(computer.size(), 15u);
    EXPECT_EQ(user, env("USERNAME"));
    EXPECT_EQ(user.find('\0'), std::string::npos);
    EXPECT_EQ(windows, env("SystemRoot"));
    EXPECT_EQ(windows.find('\0'), std::string::npos);

    // Start-up takes them as they are.
    app::Session s(platform);
    app::LoadEnvironment(s);
    EXPECT_EQ(s.state.ComputerName, computer);
    EXPECT_EQ(s.state.LogonUser, user);
    EXPECT_EQ(s.state.WindowsFolder, windows);
}

TEST_F(Win32Test, VersionIsWhatAProgramWithoutManifestIsTold) {
    OsVersion v;
    ASSERT_TRUE(platform.system->GetVersionExA(v));
    EXPECT_GE(v.major, 5u);
    EXPECT_GT(v.build, 0u);
    // Windows 8.1 and later tell such a program 6.2.9200, as the Linux build
    // does for a prefix set to them.
    if (v.major > 6 || (v.major == 6 && v.minor >= 2)) {
        EXPECT_EQ(v.major, 6u);
        EXPECT_EQ(v.minor, 2u);
        EXPECT_EQ(v.build, 9200u);
    }
    app::Session s(platform);
    app::DetectWindowsVersion(s);
    EXPECT_EQ(s.state.WindowsVersion, std::to_string(v.major) + "." + std::to_string(v.minor));
}

TEST_F(Win32Test, EnvironmentExpansion) {
    const std::string profile = platform.system->ExpandEnvironmentStringsA("%UserProfile%");
    EXPECT_EQ(profile, env("USERPROFILE"));
    EXPECT_TRUE(std::regex_match(profile, std::regex(R"([A-Za-z]:\\.+)"))) << profile;
    EXPECT_EQ(platform.system->ExpandEnvironmentStringsA("%UserProfile%\\Desktop"), profile + "\\Desktop");
    EXPECT_EQ(platform.system->ExpandEnvironmentStringsA("%QM_NOT_SET_ANYWHERE%\\x"), "%QM_NOT_SET_ANYWHERE%\\x");

    // Longer than the 255 characters start-up once allowed: not cut.
    const std::string longValue(400, 'q');
    ASSERT_TRUE(SetEnvironmentVariableA("QM_LONG", longValue.c_str()));
    EXPECT_EQ(platform.system->ExpandEnvironmentStringsA("<%QM_LONG%>"), "<" + longValue + ">");
    SetEnvironmentVariableA("QM_LONG", nullptr);

    app::Session s(platform);
    app::LoadEnvironment(s);
    // Without Outlook start-up stops before the profile folder (no profile
    // to compute folders for).
    EXPECT_TRUE(s.state.NoOutlook);
}

TEST_F(Win32Test, WorkAndProgramFolders) {
    std::string root = platform.system->workFolderRoot();
    EXPECT_EQ(root, env("LOCALAPPDATA") + "\\Quillmark");
    EXPECT_TRUE(platform.files->folderExists(root));
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string program = exe;
    EXPECT_EQ(platform.system->programFolder(), program.substr(0, program.rfind('\\')));
    // Each session works in a folder of its own below the root.
    app::Session a(platform), b(platform);
    ASSERT_TRUE(a.hasWorkFolder());
    ASSERT_TRUE(b.hasWorkFolder());
    EXPECT_NE(a.state.WorkFolder, b.state.WorkFolder);
    EXPECT_EQ(a.state.WorkFolder.rfind(root + "\\", 0), 0u) << a.state.WorkFolder;
    EXPECT_TRUE(std::regex_match(platform.system->nowText(),
                                 std::regex(R"(\d{1,2}/\d{1,2}/\d{4} \d{1,2}:\d\d:\d\d [AP]M)")))
        << platform.system->nowText();
}

TEST_F(Win32Test, OutlookVersionWithoutAndWithARegistration) {
    std::string text;
    EXPECT_FALSE(platform.outlook->outlookVersion(text));
    {
        app::Session s(platform);
        EXPECT_EQ(app::DetectOutlookVersion(s), "Unknow Version");
        EXPECT_EQ(s.state.OutlookVersion, "");
    }
    // Registered but not startable (no Outlook behind it): known by its
    // registration, as the Linux build knows it.
    const std::string curVer = "Software\\Classes\\Outlook.Application\\CurVer";
    ASSERT_EQ(writeValue(*platform.registry, RootKey::CurrentUser, curVer, "", RegType::Sz,
                         std::string("Outlook.Application.14\0", 23)),
              RegStatus::Success);
    EXPECT_TRUE(platform.outlook->outlookVersion(text));
    EXPECT_EQ(text, "14.0");
    {
        app::Session s(platform);
        EXPECT_EQ(app::DetectOutlookVersion(s), "Outlook 2010");
        EXPECT_EQ(s.state.OutlookVersion, "14.0");
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\Outlook.Application");
    EXPECT_FALSE(platform.outlook->outlookVersion(text));
}

}  // namespace
}  // namespace qm::test
