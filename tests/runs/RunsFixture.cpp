#include "runs/RunsFixture.h"

#include <stdexcept>

#include "app/Startup.h"

namespace qm::test {

app::Session& RunsTest::start(Installation& inst, FakeView& view) {
    sessions.push_back(std::make_unique<app::Session>(inst.platform));
    app::Session& s = *sessions.back();
    EXPECT_TRUE(s.hasWorkFolder());
    app::StoreCommandLine(s, "");
    presenters.push_back(std::make_unique<runs::MainPresenter>(s, view));
    EXPECT_TRUE(presenters.back()->InitializeMainWindow());
    return s;
}

runs::MainPresenter& RunsTest::main(app::Session& session) {
    for (std::size_t i = 0; i < sessions.size(); ++i)
        if (sessions[i].get() == &session) return *presenters[i];
    throw std::logic_error("a session start() did not make");
}

}  // namespace qm::test
