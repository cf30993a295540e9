// The files the disc window names, found on the host whatever the
// installation's code page can hold.
#include <gtest/gtest.h>

#include "disc/SourcePaths.h"
#include "platform/memory/MemoryPlatform.h"
#include "support/HostDrive.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

TEST(DiscSourcePathTest, HostPathsStayHostPathsWindowsPathsGoThroughTheInstallation) {
    platform::Platform installation;
    auto mem = platform::memory::openMemoryPlatform(installation);
    mem.files->mount('Z', hostDrive());
    ASSERT_EQ(installation.codePage->name(), "1252");
    TempDir dir;
    const platform::FileSystem& files = *installation.files;

    // Names Windows-1252 cannot hold, as a drop gives them.
    for (const std::string name : {"Кириллица.pst", "日本語フォルダ", "café.qmk"}) {
        const std::string host = dir / name;
        writeHostFile(host, "x");
        EXPECT_EQ(disc::DiscSourcePath(files, host), host);
    }
    // A Windows path, as a backup hands its archive over.
    std::string windows = "Z:" + dir.path() + "\\café.qmk";
    for (char& c : windows)
        if (c == '/') c = '\\';
    EXPECT_EQ(disc::DiscSourcePath(files, windows), dir / "café.qmk");
}

}  // namespace
}  // namespace qm::test
