#pragma once
// The registry layer over one backend of the contract (see ContractBackend.h).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "contract/ContractBackend.h"
#include "registry/ModReg.h"
#include "support/TempDir.h"

namespace qm::test {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // "HKEY_CURRENT_USER\<sub>" inside the test's own part of the registry.
    std::string key(const std::string& sub) const { return "HKEY_CURRENT_USER\\" + keyUnderUser(sub); }
    // The same below HKEY_CURRENT_USER, for the raw registry functions.
    std::string keyUnderUser(const std::string& sub) const {
        return backend.baseKey.empty() ? sub : backend.baseKey + "\\" + sub;
    }

    // Windows path of a file in the work folder.
    std::string workFile(const std::string& name) const { return work + "\\" + name; }
    std::string fileBytes(const std::string& name) const;
    void writeFileBytes(const std::string& name, const std::string& bytes) const;

    // Raw access for set-up and checks.
    void setValue(const std::string& path, const std::string& name, platform::RegType type, const std::string& bytes);
    bool getValue(const std::string& path, const std::string& name, platform::RegType& type, std::string& bytes);

    // The "Incorrect Format:" notices the layer kept, all so far.
    const std::vector<std::string>& notices() {
        for (auto& n : reg->takeNotices()) seenNotices.push_back(n);
        return seenNotices;
    }

    TempDir dir;
    ContractBackend backend;
    platform::Platform& platform = backend.platform;
    std::vector<std::string> seenNotices;
    std::unique_ptr<registry::ModReg> reg;
    std::string work;  // Windows path of the work folder
};

}  // namespace qm::test
