#include "gui/GuiFixture.h"

#include <QAction>

#include "platform/memory/MemoryPlatform.h"
#include "support/HostDrive.h"

namespace qm::test {

void GuiTest::SetUp() {
    gui::MessageBoxes::reset();
    gui::MessageBoxes::answerUnaskedWith(app::Answer::Ok);
}

void GuiTest::TearDown() {
    window_.reset();
    context_.reset();
    gui::MessageBoxes::reset();
    gui::FilePickers::reset();
}

GuiInstallation& GuiTest::install(const std::string& user, const std::string& outlook, const std::string& profile,
                                  const std::string& second) {
    auto inst = std::make_unique<GuiInstallation>();
    auto mem = platform::memory::openMemoryPlatform(inst->platform, user);
    mem.files->mount('Z', hostDrive());
    mem.outlook->version = outlook;
    sample::SampleOptions options;
    options.user = user;
    options.outlook = outlook;
    options.profile = profile;
    options.secondProfile = second;
    std::string error;
    EXPECT_TRUE(sample::buildSample(options, inst->platform, inst->made, error)) << error;
    inst->session = std::make_unique<app::Session>(inst->platform);
    installs_.push_back(std::move(inst));
    return *installs_.back();
}

gui::MainWindow& GuiTest::open(GuiInstallation& inst) {
    window_.reset();
    context_ =
        std::make_unique<gui::GuiContext>(*inst.session, scheduler, kTestProgram, QString::fromStdString(dir.path()));
    window_ = std::make_unique<gui::MainWindow>(*context_);
    EXPECT_TRUE(window_->load());
    window_->show();
    QApplication::processEvents();
    return *window_;
}

void GuiTest::click(const QString& name) const {
    auto* button = find<QPushButton>(name);
    if (button) button->click();
}

void GuiTest::trigger(const QString& actionName) const {
    auto* action = window_->findChild<QAction*>(actionName);
    ASSERT_TRUE(action) << actionName.toStdString();
    action->trigger();
}

}  // namespace qm::test
