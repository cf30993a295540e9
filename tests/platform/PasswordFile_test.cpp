#include "platform/PasswordFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "support/TempDir.h"

namespace qm::test {
namespace {

std::string privateFile(const TempDir& dir, const std::string& bytes) {
    const std::string path = dir / "pw";
    writeHostFile(path, bytes);
    ::chmod(path.c_str(), 0600);
    return path;
}

TEST(PasswordFile, TheFirstLineWithoutItsLineEnd) {
    TempDir dir;
    struct Case {
        std::string bytes, password;
    };
    for (const Case& k : {Case{"pa=ss\n", "pa=ss"}, Case{"pa ss\r\nsecond line\n", "pa ss"}, Case{"no end", "no end"},
                          Case{"", ""}, Case{"\n", ""}, Case{"  blanks kept  \n", "  blanks kept  "}}) {
        std::string password = "before", why;
        EXPECT_TRUE(platform::readPasswordFile(privateFile(dir, k.bytes), password, why)) << why;
        EXPECT_EQ(password, k.password);
    }
}

TEST(PasswordFile, OneOthersMayReadOrNoFileIsRefusedWithTheReason) {
    TempDir dir;
    const std::string path = privateFile(dir, "secret\n");
    std::string password, why;
    for (const mode_t mode : {0644, 0640, 0604}) {
        ::chmod(path.c_str(), mode);
        EXPECT_FALSE(platform::readPasswordFile(path, password, why));
        EXPECT_NE(why.find("may be read by other users"), std::string::npos) << why;
        EXPECT_NE(why.find("chmod 600"), std::string::npos) << why;
    }
    ::chmod(path.c_str(), 0400);
    EXPECT_TRUE(platform::readPasswordFile(path, password, why)) << why;
    EXPECT_FALSE(platform::readPasswordFile(dir / "missing", password, why));
    EXPECT_NE(why.find("cannot read the password file " + dir / "missing"), std::string::npos) << why;
    EXPECT_FALSE(platform::readPasswordFile(dir.path(), password, why));
    EXPECT_NE(why.find("is a folder"), std::string::npos) << why;
    // A named pipe others may open: whoever opens it first reads it.
    const std::string fifo = dir / "open-fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::chmod(fifo.c_str(), 0644);
    // The writer only opens it (the read stops before any data is read).
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        if (fd >= 0) ::close(fd);
    });
    EXPECT_FALSE(platform::readPasswordFile(fifo, password, why));
    writer.join();
    EXPECT_NE(why.find("may be read by other users"), std::string::npos) << why;
}

TEST(PasswordFile, APipeIsReadAsItComes) {
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        FILE* f = std::fopen(fifo.c_str(), "w");
        if (!f) return;
        std::fputs("from a pipe\n", f);
        std::fclose(f);
    });
    std::string password, why;
    EXPECT_TRUE(platform::readPasswordFile(fifo, password, why)) << why;
    writer.join();
    EXPECT_EQ(password, "from a pipe");
}

}  // namespace
}  // namespace qm::test
