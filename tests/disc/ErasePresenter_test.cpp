// The erase window's logic: the refusals in order, the format table, the
// erase followed to its end, and the closing rule.
#include <gtest/gtest.h>

#include "disc/ErasePresenter.h"
#include "disc/FakeDiscEngine.h"
#include "disc/FakeDiscViews.h"

namespace qm::test {
namespace {

namespace erase = disc::erase;
namespace media = disc::media;

Step eraseStatus(int stageNumber, int percent) {
    return [=](FakeDiscEngine& e) { e.emit([=](disc::DiscEvents& ev) { ev.EraseStatus(stageNumber, percent); }); };
}

class ErasePresenterTest : public ::testing::Test {
protected:
    ErasePresenterTest() : drive(engine.addDevice("Burner")) {}
    // Opens the window and presses "&Erase" once.
    void eraseOnce() {
        view.onShow = [&] { window.ErasePressed(); };
        window.ShowErase(drive, engine);
    }

    FakeDiscEngine engine;
    FakeDevice& drive;
    FakeEraseView view;
    disc::ErasePresenter window{view};
};

TEST_F(ErasePresenterTest, RefusalsCloseTheWindowWithTheirMessage) {
    struct Case {
        disc::MediaInfo medium;
        std::set<int> supports;
        std::string message;
    };
    const Case cases[] = {
        {{media::None, false, false}, {17, 19, 22, 23, 27}, "No Media Loaded."},
        {{media::CdR, true, false}, {17, 19, 22, 23, 27}, "The current media is not re-writable."},
        // A CD-RW in a drive without capability 17 is refused even if it
        // supports every other code.
        {{media::CdRw, true, true}, {19, 22, 23, 27}, "Selected drive does not support re-writable discs of this format."},
        {{media::DvdRw, true, true}, {17}, "Selected drive does not support re-writable discs of this format."},
    };
    for (const auto& c : cases) {
        FakeEraseView v;
        disc::ErasePresenter w(v);
        drive.media = c.medium;
        drive.supports = c.supports;
        drive.eraseCalls.clear();
        v.onShow = [&] { w.ErasePressed(); };
        w.ShowErase(drive, engine);
        EXPECT_EQ(v.messageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(v.messages[0].icon, app::Icon::Information);
        EXPECT_EQ(v.closes, 1);
        EXPECT_TRUE(drive.eraseCalls.empty());
    }
}

TEST_F(ErasePresenterTest, TheFormatTableIsAskedRowByRowInItsOrder) {
    drive.media = {media::BdRe, true, true};
    drive.supports = {27};
    engine.eraseScript = {eraseStatus(erase::Started, 0), eraseStatus(erase::Completed, 100)};
    eraseOnce();
    EXPECT_EQ(drive.supportsAsked, (std::vector<int>{17, 19, 22, 23, 27}));
    ASSERT_EQ(drive.eraseCalls.size(), 1u);

    // A matching earlier row stops the search.
    drive.supportsAsked.clear();
    drive.media = {media::DvdRw, true, true};
    drive.supports = {19, 27};
    engine.eraseScript = {eraseStatus(erase::Completed, 100)};
    FakeEraseView v;
    disc::ErasePresenter w(v);
    v.onShow = [&] { w.ErasePressed(); };
    w.ShowErase(drive, engine);
    EXPECT_EQ(drive.supportsAsked, (std::vector<int>{17, 19}));
}

TEST_F(ErasePresenterTest, QuickOrFullWithTheDrivesSetting) {
    drive.media = {media::CdRw, true, true};
    drive.supports = {17};
    engine.eraseScript = {eraseStatus(erase::Completed, 100)};
    view.onShow = [&] {
        EXPECT_TRUE(view.quick);  // checked when the window opens
        view.quick = false;
        window.ErasePressed();
    };
    window.ShowErase(drive, engine);
    EXPECT_EQ(drive.eraseCalls, (std::vector<std::pair<bool, int>>{{false, 7}}));
}

TEST_F(ErasePresenterTest, AnEraseCannotBeClosedAndClosesItselfWhenDone) {
    drive.media = {media::DvdRam, true, true};
    drive.supports = {23};
    engine.eraseScript = {eraseStatus(erase::Started, 0), eraseStatus(erase::Progress, 40),
                          eraseStatus(erase::Progress, 80), eraseStatus(erase::Completed, 100)};
    int refusals = 0;
    view.onYield = [&] {
        if (!window.QueryUnload()) ++refusals;
        window.CancelPressed();  // disabled in the window; does nothing either way
        EXPECT_FALSE(view.eraseEnabled);
        EXPECT_FALSE(view.cancelEnabled);
    };
    eraseOnce();
    EXPECT_GE(refusals, 3);
    EXPECT_EQ(view.progress, 80);
    EXPECT_EQ(view.status, "Erase operation complete!!!");
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Erase Completed!!!"});
    EXPECT_EQ(view.closes, 1);
    EXPECT_TRUE(window.QueryUnload());
    EXPECT_TRUE(engine.subscribers.empty());  // let go of the component
}

TEST_F(ErasePresenterTest, FailuresEndingTheErase) {
    drive.media = {media::DvdRam, true, true};
    drive.supports = {23};
    // Stage 3 closes the window without a message.
    engine.eraseScript = {eraseStatus(erase::Started, 0), eraseStatus(erase::Failed, 0)};
    eraseOnce();
    EXPECT_EQ(view.status, "Error Erasing Disc!!!");
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(view.closes, 1);

    // A device failure is told and the window stays, ready again.
    FakeEraseView v;
    disc::ErasePresenter w(v);
    engine.eraseScript = {eraseStatus(erase::Started, 0), [](FakeDiscEngine& e) {
                              e.emit([](disc::DiscEvents& ev) { ev.EraseFailed({21, "Not ready", "detail", "extra"}); });
                          }};
    v.onShow = [&] { w.ErasePressed(); };
    w.ShowErase(drive, engine);
    EXPECT_EQ(v.messageTexts(), std::vector<std::string>{"Device Error: (21)   Not ready\r\n(extra) detail"});
    EXPECT_EQ(v.messages[0].icon, app::Icon::Critical);
    EXPECT_EQ(v.closes, 0);
    EXPECT_TRUE(v.eraseEnabled);
    EXPECT_TRUE(v.cancelEnabled);
    EXPECT_TRUE(w.QueryUnload());

    FakeEraseView v2;
    disc::ErasePresenter w2(v2);
    drive.startEraseResult = false;
    v2.onShow = [&] { w2.ErasePressed(); };
    w2.ShowErase(drive, engine);
    EXPECT_EQ(v2.messageTexts(), std::vector<std::string>{"Could not start Erase operation!!!"});
    EXPECT_EQ(v2.messages[0].icon, app::Icon::Critical);
    EXPECT_EQ(v2.closes, 1);
}

}  // namespace
}  // namespace qm::test
