#include "app/AppFixture.h"

#include <filesystem>

#include "app/ApplicationState.h"
#include "platform/wine/WinePlatform.h"
#include "platform/wine/WineRegistry.h"
#include "support/MiniPrefix.h"

namespace qm::test {

namespace fs = std::filesystem;
using namespace qm::platform;

void AppTest::SetUp() {
    prefix = dir / "prefix";
    ASSERT_TRUE(MiniPrefix::make(prefix, "tester"));
    std::string error;
    wine::WineOptions options;
    options.prefix = prefix;
    options.userName = "tester";
    options.workRoot = dir / "work";
    ASSERT_TRUE(wine::openWinePlatform(options, platform, error)) << error;
    auto probe = std::make_unique<ScriptedOutlook>();
    outlook = probe.get();
    platform.outlook = std::move(probe);
}

app::Session& AppTest::open() {
    if (!session) session = std::make_unique<app::Session>(platform, view);
    return *session;
}

std::string AppTest::hostOf(const std::string& windowsPath) const {
    std::string rest = windowsPath.substr(3);
    for (char& c : rest)
        if (c == '\\') c = '/';
    return prefix + "/drive_c/" + rest;
}

void AppTest::makeFile(const std::string& windowsPath, const std::string& bytes) {
    std::string host = hostOf(windowsPath);
    fs::create_directories(fs::path(host).parent_path());
    writeHostFile(host, bytes);
}

void AppTest::makeFolder(const std::string& windowsPath) { fs::create_directories(hostOf(windowsPath)); }

void AppTest::makeKey(const std::string& keyPath) {
    std::string sub = keyPath;
    KeyHandle root = registry::ModReg::RootKeyFromName(sub.substr(0, sub.find('\\')));
    sub = sub.find('\\') == std::string::npos ? std::string() : sub.substr(sub.find('\\') + 1);
    KeyHandle key = 0;
    ASSERT_EQ(platform.registry->RegCreateKeyA(root, sub, &key), RegStatus::Success) << keyPath;
    platform.registry->RegCloseKey(key);
}

void AppTest::setString(const std::string& keyPath, const std::string& name, const std::string& value) {
    makeKey(keyPath);
    std::string sub = keyPath.substr(keyPath.find('\\') + 1);
    KeyHandle root = registry::ModReg::RootKeyFromName(keyPath.substr(0, keyPath.find('\\')));
    KeyHandle key = 0;
    ASSERT_EQ(platform.registry->RegOpenKeyExA(root, sub, KeyAccess::Write, &key), RegStatus::Success);
    std::string data = value + '\0';
    platform.registry->RegSetValueExA(key, name, RegType::Sz, reinterpret_cast<const std::uint8_t*>(data.data()),
                                      static_cast<std::uint32_t>(data.size()));
    platform.registry->RegCloseKey(key);
}

std::string AppTest::profilesKey() { return app::kProfilesKey; }

}  // namespace qm::test
