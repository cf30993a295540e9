// The 32-bit registry view over a 64-bit prefix's files, as Wine gives it to
// a 32-bit program: HKLM\Software below its Wow6432Node, the keys Wine keeps
// as links shared, Classes names missing from Classes\Wow6432Node taken
// from Classes itself.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/RegistryAccess.h"
#include "platform/wine/WineRegistry.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

using namespace qm::platform;

// A value line of Wine's format; backslashes doubled, as Wine writes them.
std::string text(const std::string& name, const std::string& value) {
    auto escape = [](std::string s) {
        std::string out;
        for (char c : s) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return out;
    };
    return (name.empty() ? std::string("@") : "\"" + escape(name) + "\"") + "=\"" + escape(value) + "\"\n";
}

std::string section(const std::string& key, const std::string& body) {
    std::string escaped;
    for (char c : key) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "\n[" + escaped + "] 1796701989\n#time=1dd86c7a4043cde\n" + body;
}

// A link key as Wine writes one: "#link" and its target as REG_LINK.
std::string link(const std::string& key, const std::string& target) {
    std::string hex;
    for (char c : target) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "%02x,00", static_cast<unsigned char>(c));
        hex += (hex.empty() ? "" : ",") + std::string(byte);
    }
    return section(key, "#link\n\"SymbolicLinkValue\"=hex(6):" + hex + "\n");
}

class RegistryView : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string prefix = dir / "prefix";
        std::filesystem::create_directories(prefix);
        const std::string x86 = "C:\\Program Files (x86)\\Common Files\\Microsoft Shared\\";
        writeHostFile(
            prefix + "/system.reg",
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n" +
                section("Software\\Classes\\CLSID\\{0006F03A}", text("", "64-bit server")) +
                section("Software\\Classes\\OnlyHere", text("", "shared")) +
                section("Software\\Classes\\Outlook.Application\\CurVer", text("", "Outlook.Application.12")) +
                section("Software\\Classes\\Wow6432Node\\CLSID\\{0006F03A}", text("", "32-bit server")) +
                section("Software\\Classes\\Wow6432Node\\Outlook.Application\\CurVer",
                        text("", "Outlook.Application.14")) +
                section("Software\\Microsoft\\Cryptography", text("MachineGuid", "one-guid")) +
                section("Software\\Microsoft\\Shared Tools",
                        text("SharedFilesDir", "C:\\Program Files\\Common Files\\Microsoft Shared\\")) +
                link("Software\\Wow6432Node\\Classes", "\\Registry\\Machine\\Software\\Classes\\Wow6432Node") +
                link("Software\\Wow6432Node\\Microsoft\\Cryptography",
                     "\\Registry\\Machine\\Software\\Microsoft\\Cryptography") +
                section("Software\\Wow6432Node\\Microsoft\\Shared Tools", text("SharedFilesDir", x86)));
        writeHostFile(prefix + "/user.reg",
                      "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                      "#arch=win64\n" +
                          section("Software\\Quill", text("v", "user's")));
        std::string error;
        reg = wine::WineRegistry::open(prefix, false, codePage, error);
        ASSERT_TRUE(reg) << error;
    }
    std::string read(KeyHandle root, const std::string& sub, const std::string& name, KeyAccess view) {
        std::string value;
        return readString(*reg, root, sub, name, value, view) ? value : std::string("(missing)");
    }

    TempDir dir;
    CodePage codePage;
    std::unique_ptr<wine::WineRegistry> reg;
    static constexpr KeyAccess k32 = KeyAccess::Wow64_32Key;
    static constexpr KeyAccess k64 = KeyAccess::Wow64_64Key;
};

TEST_F(RegistryView, MachineSoftwareIsRedirectedAndSharedKeysStayShared) {
    const KeyHandle lm = RootKey::LocalMachine;
    const std::string tools = "SOFTWARE\\Microsoft\\Shared Tools";
    EXPECT_EQ(read(lm, tools, "SharedFilesDir", KeyAccess{}), "C:\\Program Files\\Common Files\\Microsoft Shared\\");
    EXPECT_EQ(read(lm, tools, "SharedFilesDir", k64), "C:\\Program Files\\Common Files\\Microsoft Shared\\");
    EXPECT_EQ(read(lm, tools, "SharedFilesDir", k32), "C:\\Program Files (x86)\\Common Files\\Microsoft Shared\\");
    // Through Wine's link the 32-bit view reaches the one shared key.
    EXPECT_EQ(read(lm, "Software\\Microsoft\\Cryptography", "MachineGuid", k32), "one-guid");
    // Wow6432Node named outright is not redirected again.
    EXPECT_EQ(read(lm, "Software\\Wow6432Node\\Microsoft\\Shared Tools", "SharedFilesDir", k32),
              "C:\\Program Files (x86)\\Common Files\\Microsoft Shared\\");
    // Software itself, in the 32-bit view, lists what a 32-bit program sees.
    OpenKey software(*reg, lm, "Software", KeyAccess::Read | k32);
    ASSERT_TRUE(software.ok());
    char name[260];
    std::uint32_t size = sizeof name;
    ASSERT_EQ(reg->RegEnumKeyExA(software.key(), 0, name, &size), RegStatus::Success);
    EXPECT_EQ(std::string(name, size), "Classes");
}

TEST_F(RegistryView, ClassesOfThe32BitViewFallBackOnTheSharedOnes) {
    const KeyHandle cr = RootKey::ClassesRoot;
    EXPECT_EQ(read(cr, "Outlook.Application\\CurVer", "", KeyAccess{}), "Outlook.Application.12");
    EXPECT_EQ(read(cr, "Outlook.Application\\CurVer", "", k32), "Outlook.Application.14");
    EXPECT_EQ(read(cr, "CLSID\\{0006F03A}", "", k32), "32-bit server");
    EXPECT_EQ(read(cr, "OnlyHere", "", k32), "shared");
    // The same through HKLM and Wine's link Software\Wow6432Node\Classes.
    EXPECT_EQ(read(RootKey::LocalMachine, "Software\\Classes\\CLSID\\{0006F03A}", "", k32), "32-bit server");
    EXPECT_EQ(read(RootKey::LocalMachine, "Software\\Classes\\CLSID\\{0006F03A}", "", KeyAccess{}), "64-bit server");
}

TEST_F(RegistryView, ATreeWithoutWow6432NodeLooksTheSameInBothViews) {
    EXPECT_EQ(read(RootKey::CurrentUser, "Software\\Quill", "v", k32), "user's");
    EXPECT_EQ(read(RootKey::CurrentUser, "Software\\Quill", "v", KeyAccess{}), "user's");
    EXPECT_EQ(read(RootKey::LocalMachine, "Software\\Missing", "v", k32), "(missing)");
}

}  // namespace
}  // namespace qm::test
