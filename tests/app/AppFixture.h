#pragma once
// A session over an installation held in memory (user "tester", Windows 7
// layout), seen through the recording view.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Session.h"
#include "fakes/FakeView.h"
#include "platform/memory/MemoryPlatform.h"

namespace qm::test {

class AppTest : public ::testing::Test {
public:
    static std::string profilesKey();

protected:
    void SetUp() override;
    void TearDown() override { session.reset(); }

    // Opens the session (once); the platform is ready before.
    app::Session& open();

    // Writes a file (making its folders) / makes a folder, by Windows path.
    void makeFile(const std::string& windowsPath, const std::string& bytes = "x");
    void makeFolder(const std::string& windowsPath);
    // Creates the key (and parents) and sets a string value.
    void setString(const std::string& keyPath, const std::string& name, const std::string& value);
    void makeKey(const std::string& keyPath);
    void makeProfile(const std::string& name) { makeKey(profilesKey() + "\\" + name); }

    platform::Platform platform;
    platform::memory::MemoryInstallation mem;
    platform::memory::MemoryOutlook* outlook = nullptr;  // owned by platform
    FakeView view;
    std::unique_ptr<app::Session> session;

    static constexpr const char* kUserProfile = "C:\\users\\tester";
};

}  // namespace qm::test
