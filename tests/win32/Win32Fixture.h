#pragma once
// The Windows the tests run in (under Wine in CI), opened as the program
// opens it.
#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "support/TempDir.h"

namespace qm::test {

class Win32Test : public ::testing::Test {
protected:
    void SetUp() override;

    // The test's temporary folder as a Windows path ending without "\".
    std::string folder() const;
    // An environment variable of this process ("" when unset).
    static std::string env(const std::string& name);

    TempDir dir;
    platform::Platform platform;
};

// Starts the job scheduler's service of this Windows when it is not running
// (Wine starts it only when asked). False with `error` when it cannot be.
bool startScheduleService(std::string& error);
// Stops it; true when it is not running afterwards.
bool stopScheduleService();

}  // namespace qm::test
