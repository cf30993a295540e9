#pragma once
// The real component (libburn, libisofs, genisoimage) on file drives in a
// fresh folder, driven through the disc window's logic and a recording
// window; the written images are read with other programs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "disc/DiscWritePresenter.h"
#include "disc/FakeDiscViews.h"
#include "disc/linux/LinuxDiscEngine.h"
#include "support/TempDir.h"

namespace qm::test {

// Hooks a test sets to act on the component's events (say, damage the
// written image before it is read back).
class EventHook : public disc::DiscEvents {
public:
    std::function<void(int)> onVerifyStarted;
    void VerifyStarted(int newFiles) override {
        if (onVerifyStarted) onVerifyStarted(newFiles);
    }
};

class LinuxEngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window on one file drive ("disc.iso"), handing over a file
    // when a title is given.
    void open(std::string title = "", std::string path = "");
    // Picks the volume type by its code and presses "&Write Disc".
    void write(int fileSystem, bool verify);
    std::string drivePath() const { return dir / "disc.iso"; }
    // A file of `size` bytes with a marker text at its start; its date set.
    std::string makeSource(const std::string& name, std::size_t size, std::int64_t mtime = 981173106);

    TempDir dir;
    std::unique_ptr<disc::linuxburn::LinuxDiscEngine> engine;
    FakeDiscWriteView view;
    std::unique_ptr<disc::DiscWritePresenter> window;
    EventHook hook;
};

// Runs a command, its standard output and error in `out`; the exit status.
int run(const std::string& command, std::string& out);
// The byte offset of a text in a file; npos when missing.
std::size_t findInFile(const std::string& path, const std::string& text);
void patchFile(const std::string& path, std::size_t offset, char byte);

}  // namespace qm::test
