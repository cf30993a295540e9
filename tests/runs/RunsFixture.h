#pragma once
// Sessions over sample installations, initialised as the main window's load
// does, each with the main window's presenter over a recording view.
#include <memory>
#include <vector>

#include "fakes/FakeView.h"
#include "runs/MainPresenter.h"
#include "support/SampleFixture.h"

namespace qm::test {

class RunsTest : public SampleTest {
protected:
    void TearDown() override {
        presenters.clear();
        sessions.clear();
    }

    // A session over the installation, initialised as the main window's
    // load does.
    app::Session& start(Installation& inst, FakeView& view);
    // The main window's presenter of a session start() made, over its view.
    runs::MainPresenter& main(app::Session& session);

    std::vector<std::unique_ptr<app::Session>> sessions;
    std::vector<std::unique_ptr<runs::MainPresenter>> presenters;  // one per session, in order
};

}  // namespace qm::test
