#include "contract/RegistryFixture.h"

#include "platform/RegistryAccess.h"

namespace qm::test {

using namespace qm::platform;

void RegistryTest::SetUp() {
    std::string error;
    ASSERT_TRUE(openContractBackend(dir, backend, error)) << error;
    work = backend.work;
    reg = std::make_unique<registry::ModReg>(*platform.registry, *platform.files, work);
}

void RegistryTest::TearDown() {
    reg.reset();
    closeContractBackend(backend);
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
