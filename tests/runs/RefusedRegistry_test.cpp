// A restore into a registry that refuses every write (a wineserver runs for
// the prefix, or the backend says no) is refused before anything changes:
// neither the registry nor the data files the profile points at.
#include <algorithm>

#include "items/Parts.h"
#include "jobs/AutomaticBackup.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/wine/RegServerLock.h"
#include "runs/MainPresenter.h"
#include "runs/RunsFixture.h"
#include "support/ServerLockHolder.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class RefusedRegistry : public RunsTest {
protected:
    void SetUp() override {
        sample::SampleOptions from;
        from.outlook = "11.0";
        source = &install("source", from);
        archive = dir / "b.qmk";
        FakeView v;
        app::Session& b = start(*source, v);
        b.state.TargetArchivePath = archive;
        for (auto& box : v.backupItems) box.checked = true;
        v.answers = {app::Answer::Ok, app::Answer::Cancel};
        main(b).RunBackup();
        ASSERT_TRUE(fs::exists(archive));
    }
    // Opens the archive on the target and restores personal folders and
    // the address book into its profile.
    std::string restore(Installation& target) {
        FakeView view;
        app::Session& s = start(target, view);
        view.backupFileAnswers = {archive};
        main(s).OpenBackupFile();
        view.restoreItems[0].checked = view.restoreItems[4].checked = true;
        view.messages.clear();
        main(s).RunRestore();
        return view.messages.empty() ? std::string() : view.messages.back().text;
    }

    Installation* source = nullptr;
    std::string archive;
};

TEST_F(RefusedRegistry, ARunningWineserverFailsTheItemsAndTheRegistryFilesStayAsTheyWere) {
    sample::SampleOptions to;
    to.outlook = "11.0";
    to.user = "bob";
    Installation& target = install("target", to, Backend::WinePrefix);
    const std::string prefix = target.made.prefix;
    const std::string lock = platform::wine::WineServerGuard(prefix).lockPaths().front();
    const std::string user = readHostFile(prefix + "/user.reg");
    const std::string system = readHostFile(prefix + "/system.reg");
    std::vector<std::string> data;
    for (const auto& file : target.made.profiles[0].dataFiles) {
        data.emplace_back();
        ASSERT_TRUE(target.platform.files->readFile(file, data.back())) << file;
    }
    {
        ServerLockHolder server(lock);
        const std::string said = restore(target);
        EXPECT_NE(said.find("is in use"), std::string::npos) << said;
        EXPECT_NE(said.find("wineserver -k"), std::string::npos) << said;
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::string now;
        ASSERT_TRUE(target.platform.files->readFile(target.made.profiles[0].dataFiles[i], now));
        EXPECT_TRUE(now == data[i]) << target.made.profiles[0].dataFiles[i];
    }
    EXPECT_TRUE(readHostFile(prefix + "/user.reg") == user);
    EXPECT_TRUE(readHostFile(prefix + "/system.reg") == system);
    std::error_code ec;
    fs::remove_all(fs::path(lock).parent_path(), ec);
}

TEST_F(RefusedRegistry, ARefusingRegistryInMemoryAlike) {
    sample::SampleOptions to;
    to.outlook = "11.0";
    to.user = "bob";
    Installation& target = install("target", to);
    auto* registry = dynamic_cast<platform::memory::MemoryRegistry*>(target.platform.registry.get());
    ASSERT_TRUE(registry);
    const std::string before = registryText(*registry);
    registry->refuseWrites("the registry is in use");
    EXPECT_EQ(restore(target), "the registry is in use");
    EXPECT_EQ(registryText(*registry), before);
}

TEST_F(RefusedRegistry, ARunningWineserverLetsABackupGoOnAndSaysWhatItMeans) {
    sample::SampleOptions o;
    o.outlook = "11.0";
    o.user = "carol";
    Installation& busy = install("busy", o, Backend::WinePrefix);
    const std::string lock = platform::wine::WineServerGuard(busy.made.prefix).lockPaths().front();
    FakeView view;
    app::Session& s = start(busy, view);
    const std::string target = dir / "busy.qmk";
    s.state.TargetArchivePath = target;
    for (auto& box : view.backupItems) box.checked = box.enabled;
    view.answers = {app::Answer::Ok, app::Answer::Cancel};
    {
        ServerLockHolder server(lock);
        main(s).RunBackup();
    }
    ASSERT_TRUE(fs::exists(target));
    ASSERT_FALSE(view.messages.empty());
    const std::string closing = view.messages.front().text;
    EXPECT_EQ(closing.find("Fail!"), std::string::npos) << closing;
    for (const char* said : {"Wine programs are running", "up to 30 s old", "data files may be changing",
                             "close Outlook for a consistent backup"}) {
        EXPECT_NE(closing.find(said), std::string::npos) << said;
        EXPECT_NE(std::find_if(view.statusHistory.begin(), view.statusHistory.end(),
                               [&](const std::string& line) { return line.find(said) != std::string::npos; }),
                  view.statusHistory.end())
            << said;
    }
    // Without a server nothing is said.
    view.messages.clear();
    view.statusHistory.clear();
    view.answers = {app::Answer::Ok, app::Answer::Cancel};
    main(s).RunBackup();
    ASSERT_FALSE(view.messages.empty());
    EXPECT_EQ(view.messages.front().text.find("Wine programs"), std::string::npos);
    std::error_code ec;
    fs::remove_all(fs::path(lock).parent_path(), ec);
}

}  // namespace
}  // namespace qm::test
