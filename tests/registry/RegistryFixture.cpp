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
    reg = std::make_unique<registry::ModReg>(*platform.registry, *platform.files, messages, work);
}

std::string RegistryTest::fileBytes(const std::string& name) const {
    std::string bytes;
    platform.files->readFile(workFile(name), bytes);
    return bytes;
}

void RegistryTest::writeFileBytes(const std::string& name, const std::string& bytes) const {
    platform.files->writeFile(workFile(name), bytes);
}

void RegistryTest::setValue(const std::string& path, const std::string& name, std::uint32_t type,
                            const std::string& bytes) {
    std::string sub = path;
    HKEY root = reg->SplitKeyPath(sub);
    HKEY key = 0;
    ASSERT_EQ(platform.registry->RegCreateKeyA(root, sub, &key), ERROR_SUCCESS);
    ASSERT_EQ(platform.registry->RegSetValueExA(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                static_cast<std::uint32_t>(bytes.size())),
              ERROR_SUCCESS);
    platform.registry->RegCloseKey(key);
}

bool RegistryTest::getValue(const std::string& path, const std::string& name, std::uint32_t& type,
                            std::string& bytes) {
    std::string sub = path;
    HKEY root = reg->SplitKeyPath(sub);
    HKEY key = 0;
    if (platform.registry->RegOpenKeyExA(root, sub, KEY_READ, &key) != ERROR_SUCCESS) return false;
    std::uint32_t size = 0;
    long rc = platform.registry->RegQueryValueExA(key, name, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        bytes.assign(size, '\0');
        rc = platform.registry->RegQueryValueExA(key, name, &type, reinterpret_cast<std::uint8_t*>(bytes.data()),
                                                 &size);
        bytes.resize(size);
    }
    platform.registry->RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace qm::test
