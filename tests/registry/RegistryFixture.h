#pragma once
// A registry layer over a fresh Wine-format prefix in a temporary folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "registry/ModReg.h"
#include "support/TempDir.h"

namespace qm::test {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override;

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
    platform::Platform platform;
    std::vector<std::string> seenNotices;
    std::unique_ptr<registry::ModReg> reg;
    std::string work;  // Windows path of the work folder
};

}  // namespace qm::test
