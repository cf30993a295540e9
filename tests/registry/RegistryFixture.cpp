#include "platform/RegistryAccess.h"
#include "registry/RegistryFixture.h"

#include <filesystem>

#include "platform/wine/WinePlatform.h"
#include "platform/wine/WineRegistry.h"
#include "support/MiniPrefix.h"

namespace qm::test {

using namespace qm::platform;

void RegistryTest::SetUp() {
    namespace fs = std::filesystem;
    std::string prefix = dir / "prefix";
    ASSERT_TRUE(MiniPrefix::make(prefix, "tester"));
    std::string error;
    wine::WineOptions options;
    options.prefix = prefix;
    options.userName = "tester";
    options.workRoot = dir / "work";
    ASSERT_TRUE(wine::openWinePlatform(options, platform, error)) << error;
    fs::create_directories(dir / "files");
    work = platform.files->windowsPath(dir / "files");
    reg = std::make_unique<registry::ModReg>(*platform.registry, *platform.files, work);
}

std::string RegistryTest::fileBytes(const std::string& name) const {
    std::string bytes;
    platform.files->readFile(workFile(name), bytes);
    return bytes;
}

void RegistryTest::writeFileBytes(const std::string& name, const std::string& bytes) const {
    platform.files->writeFile(workFile(name), bytes);
}

void RegistryTest::setValue(const std::string& path, const std::string& name, RegType type,
                            const std::string& bytes) {
    std::string sub = path;
    KeyHandle root = reg->SplitKeyPath(sub);
    ASSERT_EQ(writeValue(*platform.registry, root, sub, name, type, bytes), RegStatus::Success);
}

bool RegistryTest::getValue(const std::string& path, const std::string& name, RegType& type, std::string& bytes) {
    std::string sub = path;
    KeyHandle root = reg->SplitKeyPath(sub);
    return readValue(*platform.registry, root, sub, name, type, bytes) == RegStatus::Success;
}

}  // namespace qm::test
