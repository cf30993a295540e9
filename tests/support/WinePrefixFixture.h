#pragma once
// A real Wine prefix for tests that need Wine itself. One prefix is made with
// wineboot per Wine version and kept under the build folder; each test gets
// its own copy (drive_c hard-linked, the registry files copied), so it may
// change the registry freely. Without Wine the tests are skipped.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/RegistryAccess.h"
#include "support/TempDir.h"

namespace qm::test {

// "wine-8.0 (...)" or empty when Wine is not installed.
std::string wineVersion();

// Host folder of the shared prefix, made on first use (30-60 s). Empty with
// `error` when it cannot be made.
std::string sharedWinePrefix(std::string& error);

// Copies the shared prefix to `dest` (which must not exist).
bool copyWinePrefix(const std::string& source, const std::string& dest, std::string& error);

class WinePrefixTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs `wine <args>` in the prefix (quote args for the shell). Exit status.
    int wine(const std::string& args, std::string* output = nullptr) const;
    // Keeps a wineserver running for the prefix until stopServer().
    void startServer() const;
    // Ends the server (and its programs); Wine saves the registry as it ends.
    void stopServer() const;
    std::string env() const;

    TempDir dir;
    std::string prefix;
};

}  // namespace qm::test
