#pragma once
// The real windows over sample installations held in memory, driven by
// object name; message boxes and file dialogs answered through their hooks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/Session.h"
#include "fakes/FakeScheduler.h"
#include "gui/GuiContext.h"
#include "gui/MainWindow.h"
#include "gui/MessageBoxes.h"
#include "platform/Scheduler.h"
#include "sample/SampleInstallation.h"
#include "support/TempDir.h"

namespace qm::test {

// The program the windows' scheduled jobs start.
inline const char* const kTestProgram = "/opt/qm/quillmark";

struct GuiInstallation {
    platform::Platform platform;
    sample::SampleInstallation made;
    std::unique_ptr<app::Session> session;
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A sample installation in memory with the host as Z:, and its session.
    GuiInstallation& install(const std::string& user, const std::string& outlook, const std::string& profile = "Outlook",
                             const std::string& second = "");
    // The main window over an installation, loaded and shown.
    gui::MainWindow& open(GuiInstallation& inst);

    template <typename T>
    T* find(const QString& name) const {
        T* w = window_->findChild<T*>(name);
        EXPECT_TRUE(w) << name.toStdString();
        return w;
    }
    QCheckBox* backupBox(int i) const { return find<QCheckBox>(QStringLiteral("backupitem_%1").arg(i)); }
    QCheckBox* restoreBox(int i) const { return find<QCheckBox>(QStringLiteral("restoreitem_%1").arg(i)); }
    void click(const QString& name) const;
    void trigger(const QString& actionName) const;
    // The texts of the message boxes asked so far.
    std::vector<std::string> messages() const { return gui::MessageBoxes::shownTexts(); }

    TempDir dir;
    FakeScheduler scheduler;
    std::vector<std::unique_ptr<GuiInstallation>> installs_;
    std::unique_ptr<gui::GuiContext> context_;
    std::unique_ptr<gui::MainWindow> window_;
};

}  // namespace qm::test
