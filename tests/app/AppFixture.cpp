#include "app/AppFixture.h"

#include "app/ApplicationState.h"
#include "base/WinPath.h"
#include "platform/RegistryAccess.h"
#include "registry/ModReg.h"

namespace qm::test {

using namespace qm::platform;

void AppTest::SetUp() {
    mem = memory::openMemoryPlatform(platform, "tester");
    outlook = mem.outlook;
}

app::Session& AppTest::open() {
    if (!session) session = std::make_unique<app::Session>(platform);
    return *session;
}

void AppTest::makeFile(const std::string& windowsPath, const std::string& bytes) {
    ASSERT_TRUE(mem.files->makeFolders(base::parentFolder(windowsPath, base::singleByte()))) << windowsPath;
    ASSERT_TRUE(mem.files->writeFile(windowsPath, bytes)) << windowsPath;
}

void AppTest::makeFolder(const std::string& windowsPath) { ASSERT_TRUE(mem.files->makeFolders(windowsPath)); }

namespace {
KeyHandle rootAndSub(const std::string& keyPath, std::string& sub) {
    const auto slash = keyPath.find('\\');
    sub = slash == std::string::npos ? std::string() : keyPath.substr(slash + 1);
    return registry::ModReg::RootKeyFromName(keyPath.substr(0, slash));
}
}  // namespace

void AppTest::makeKey(const std::string& keyPath) {
    std::string sub;
    const KeyHandle root = rootAndSub(keyPath, sub);
    KeyHandle key = 0;
    ASSERT_EQ(platform.registry->RegCreateKeyA(root, sub, &key), RegStatus::Success) << keyPath;
    platform.registry->RegCloseKey(key);
}

void AppTest::setString(const std::string& keyPath, const std::string& name, const std::string& value) {
    std::string sub;
    const KeyHandle root = rootAndSub(keyPath, sub);
    ASSERT_EQ(writeValue(*platform.registry, root, sub, name, RegType::Sz, value + '\0'), RegStatus::Success);
}

std::string AppTest::profilesKey() { return app::kProfilesKey; }

}  // namespace qm::test
