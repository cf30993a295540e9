#pragma once
// A session over a fresh Wine-format prefix in a temporary folder, seen
// through the recording view.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Session.h"
#include "platform/Platform.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace qm::test {

// Outlook's answer, set by the test (Outlook itself is not installed).
class ScriptedOutlook : public platform::OutlookProbe {
public:
    bool outlookVersion(std::string& text) const override {
        if (!answers) return false;
        text = version;
        return true;
    }
    bool answers = true;
    std::string version = "14.0.0.7015";
};

class AppTest : public ::testing::Test {
public:
    static std::string profilesKey();

protected:
    void SetUp() override;
    void TearDown() override { session.reset(); }

    // Opens the session (once); the platform is ready before.
    app::Session& open();

    // Host path of a Windows path on drive C: of the prefix.
    std::string hostOf(const std::string& windowsPath) const;
    // Writes a file (making its folders) / makes a folder, by Windows path.
    void makeFile(const std::string& windowsPath, const std::string& bytes = "x");
    void makeFolder(const std::string& windowsPath);
    // Creates the key (and parents) and sets a string value.
    void setString(const std::string& keyPath, const std::string& name, const std::string& value);
    void makeKey(const std::string& keyPath);
    void makeProfile(const std::string& name) { makeKey(profilesKey() + "\\" + name); }

    TempDir dir;
    std::string prefix;
    platform::Platform platform;
    ScriptedOutlook* outlook = nullptr;  // owned by platform
    FakeView view;
    std::unique_ptr<app::Session> session;

    static constexpr const char* kUserProfile = "C:\\users\\tester";
};

}  // namespace qm::test
