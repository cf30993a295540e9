// The Win32 contract of the registry functions that the layers above rely
// on, the same for every backend: sizes in and out, the codes at the end of
// an enumeration and for a too small buffer, access rights, deletes.
#include <gtest/gtest.h>

#include "contract/ContractBackend.h"
#include "platform/RegistryAccess.h"

namespace qm::test {
namespace {

using namespace qm::platform;

class RegistryContract : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(openContractBackend(dir, backend, error)) << error;
        reg = backend.platform.registry.get();
    }
    void TearDown() override { closeContractBackend(backend); }
    // A key path below HKEY_CURRENT_USER inside the test's own part.
    std::string under(const std::string& sub) const {
        return backend.baseKey.empty() ? sub : backend.baseKey + "\\" + sub;
    }

    TempDir dir;
    ContractBackend backend;
    Registry* reg = nullptr;
};

TEST_F(RegistryContract, EnumerationSizesAndErrors) {
    for (const char* sub : {"Software\\E\\beta", "Software\\E\\Alpha", "Software\\E\\_x", "Software\\E\\GAMMA\\deep"})
        ASSERT_EQ(writeValue(*reg, RootKey::CurrentUser, under(sub), "", RegType::Sz, ""), RegStatus::Success);
    for (const char* name : {"b", "A", "", "c"})
        ASSERT_EQ(writeValue(*reg, RootKey::CurrentUser, under("Software\\E"), name, RegType::Dword,
                             std::string(4, '\1')),
                  RegStatus::Success);
    EXPECT_EQ(subkeyNames(*reg, RootKey::CurrentUser, under("Software\\e")),
              (std::vector<std::string>{"_x", "Alpha", "beta", "GAMMA"}));
    EXPECT_EQ(valueNames(*reg, RootKey::CurrentUser, under("SOFTWARE\\E")),
              (std::vector<std::string>{"", "A", "b", "c"}));

    KeyHandle k = 0;
    ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, under("Software\\E"), KeyAccess::Read, &k), RegStatus::Success);
    char name[16];
    std::uint32_t nameSize = 5;  // "Alpha" needs 6 with its zero
    EXPECT_EQ(reg->RegEnumKeyExA(k, 1, name, &nameSize), RegStatus::MoreData);
    nameSize = 6;
    EXPECT_EQ(reg->RegEnumKeyExA(k, 1, name, &nameSize), RegStatus::Success);
    EXPECT_EQ(nameSize, 5u);
    EXPECT_STREQ(name, "Alpha");
    EXPECT_EQ(reg->RegEnumKeyExA(k, 4, name, &nameSize), RegStatus::NoMoreItems);
    EXPECT_EQ(static_cast<long>(RegStatus::NoMoreItems), 259);
    std::uint8_t data[8];
    RegType type = RegType::None;
    std::uint32_t size = 3;
    nameSize = sizeof name;
    EXPECT_EQ(reg->RegEnumValueA(k, 0, name, &nameSize, &type, data, &size), RegStatus::MoreData);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(reg->RegEnumValueA(k, 4, name, &nameSize, &type, data, &size), RegStatus::NoMoreItems);
    size = 0;
    EXPECT_EQ(reg->RegQueryValueExA(k, "A", &type, nullptr, &size), RegStatus::Success);
    EXPECT_EQ(size, 4u);
    size = 2;
    EXPECT_EQ(reg->RegQueryValueExA(k, "A", &type, data, &size), RegStatus::MoreData);
    EXPECT_EQ(static_cast<long>(RegStatus::MoreData), 234);
    EXPECT_EQ(size, 4u);  // the size needed
    EXPECT_EQ(type, RegType::Dword);
    EXPECT_EQ(reg->RegQueryValueExA(k, "missing", &type, data, &size), RegStatus::FileNotFound);
    // Read access does not allow writing.
    std::uint32_t dw = 1;
    EXPECT_EQ(reg->RegSetValueExA(k, "w", RegType::Dword, reinterpret_cast<std::uint8_t*>(&dw), 4),
              RegStatus::AccessDenied);
    EXPECT_EQ(reg->RegDeleteValueA(k, "A"), RegStatus::AccessDenied);
    EXPECT_EQ(reg->RegCloseKey(k), RegStatus::Success);

    ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, under("Software"), KeyAccess::Write, &k), RegStatus::Success);
    // A key with a subkey is not deleted.
    EXPECT_EQ(reg->RegDeleteKeyA(k, "E\\GAMMA"), RegStatus::AccessDenied);
    EXPECT_EQ(subkeyNames(*reg, RootKey::CurrentUser, under("Software\\E\\GAMMA")),
              (std::vector<std::string>{"deep"}));
    EXPECT_EQ(reg->RegDeleteKeyA(k, "E\\GAMMA\\deep"), RegStatus::Success);
    EXPECT_EQ(reg->RegDeleteKeyA(k, "E\\gamma"), RegStatus::Success);
    EXPECT_EQ(reg->RegDeleteKeyA(k, "E\\gamma"), RegStatus::FileNotFound);
    EXPECT_EQ(reg->RegDeleteValueA(k, "nothing"), RegStatus::FileNotFound);
    EXPECT_EQ(reg->RegCloseKey(k), RegStatus::Success);
    EXPECT_EQ(subkeyNames(*reg, RootKey::CurrentUser, under("Software\\E")),
              (std::vector<std::string>{"_x", "Alpha", "beta"}));

    EXPECT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, under("Software\\nope"), KeyAccess::Read, &k),
              RegStatus::FileNotFound);
    // A trailing backslash is allowed.
    ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, under("Software\\E\\"), KeyAccess::Read, &k),
              RegStatus::Success);
    EXPECT_EQ(reg->RegCloseKey(k), RegStatus::Success);
    // A handle to a key deleted meanwhile is refused, not followed.
    KeyHandle a = 0;
    ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, under("Software\\E\\beta"), KeyAccess::Read, &a),
              RegStatus::Success);
    EXPECT_EQ(reg->RegDeleteKeyA(RootKey::CurrentUser, under("Software\\E\\beta")), RegStatus::Success);
    EXPECT_NE(reg->RegQueryValueExA(a, "", &type, nullptr, &size), RegStatus::Success);
    EXPECT_EQ(reg->RegCloseKey(a), RegStatus::Success);
}

TEST_F(RegistryContract, StringsCarryTheirTerminatorAndSizesCountBytes) {
    const std::string text("caf\xe9\0", 5);  // Windows-1252 e acute
    ASSERT_EQ(writeValue(*reg, RootKey::CurrentUser, under("Software\\S"), "t", RegType::Sz, text), RegStatus::Success);
    ASSERT_EQ(writeValue(*reg, RootKey::CurrentUser, under("Software\\S"), "m", RegType::MultiSz,
                         std::string("a\0bc\0\0", 6)),
              RegStatus::Success);
    RegType type = RegType::None;
    std::string bytes;
    ASSERT_EQ(readValue(*reg, RootKey::CurrentUser, under("Software\\S"), "t", type, bytes), RegStatus::Success);
    EXPECT_EQ(type, RegType::Sz);
    EXPECT_EQ(bytes, text);
    ASSERT_EQ(readValue(*reg, RootKey::CurrentUser, under("Software\\S"), "m", type, bytes), RegStatus::Success);
    EXPECT_EQ(type, RegType::MultiSz);
    EXPECT_EQ(bytes, std::string("a\0bc\0\0", 6));
    std::string read;
    ASSERT_TRUE(readString(*reg, RootKey::CurrentUser, under("Software\\S"), "t", read));
    EXPECT_EQ(read, "caf\xe9");
}

}  // namespace
}  // namespace qm::test
