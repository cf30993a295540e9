#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zip.h>

#include <cstdlib>

#include "archive/ZipFixture.h"

namespace qm::archive {
namespace {

using test::readHostFile;
using test::win;

class ZipScaleTest : public test::ZipFixture {};

// Past 65535 entries only the ZIP64 end record can count them.
TEST_F(ZipScaleTest, MoreThan65535Entries) {
    constexpr int kEntries = 65600;
    ASSERT_TRUE(zip.NewArchive(archive, why));
    for (int i = 0; i < kEntries; ++i) {
        const std::string name = "f" + std::to_string(i) + ".htm";
        const int fd = ::open((srcHost + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "x", 1), 1);
        ::close(fd);
        ASSERT_TRUE(zip.AddFileEntry(win(srcHost) + "\\" + name, why)) << name;
    }
    ASSERT_TRUE(zip.WriteArchive(why)) << why;
    const std::string bytes = readHostFile(archiveHost);
    EXPECT_NE(bytes.find("PK\x06\x06", bytes.size() - 200), std::string::npos) << "ZIP64 end record";
    ASSERT_TRUE(zip.OpenArchive(archive, why));
    ASSERT_EQ(zip.entryNames().size(), static_cast<std::size_t>(kEntries));
    ASSERT_TRUE(zip.FindEntry("f65599.htm").ExtractEntryTo(win(outHost), why));
    EXPECT_EQ(readHostFile(outHost + "/f65599.htm"), "x");
}

// A source over 4 GiB (sparse, so the disk holds little), with and without
// a password: ZIP64 sizes, read back by the write's own check, by 7-Zip and
// Info-ZIP, in memory that does not grow with the file. Compressing and
// checking it takes about a minute, so it runs only when asked for.
TEST_F(ZipScaleTest, SourceOver4GiB) {
    if (!std::getenv("QM_LARGE_ARCHIVE_TESTS")) GTEST_SKIP() << "set QM_LARGE_ARCHIVE_TESTS=1";
    const std::uint64_t size = (4ull << 30) + 12345;
    const std::string host = srcHost + "/huge.pst";
    {
        const int fd = ::open(host.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "tail", 4, static_cast<off_t>(size - 4)), 4);
        ::close(fd);
    }
    const auto info = put("quillmark.dat", "BackupDatas=huge.pst\r\n");
    auto peakKiB = [] {
        struct rusage usage {};
        ::getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    const long before = peakKiB();
    for (const std::string& password : {std::string(), std::string("S3cret")}) {
        SCOPED_TRACE(password);
        events = {};
        ASSERT_TRUE(build({win(host), info}, password)) << why;
        expectProgressComplete(events.progress);

        int error = 0;
        zip_t* za = zip_open(archiveHost.c_str(), ZIP_RDONLY, &error);
        ASSERT_NE(za, nullptr);
        zip_stat_t st;
        ASSERT_EQ(zip_stat(za, "huge.pst", 0, &st), 0);
        EXPECT_EQ(st.size, size);
        zip_discard(za);
        const std::string pw = password.empty() ? "none" : password;
        EXPECT_EQ(test::shell("7z t -p" + pw + " '" + archiveHost + "' </dev/null >/dev/null 2>&1"), 0);
        // Info-ZIP's unzip cannot read AES entries at all.
        if (!password.empty()) continue;
        EXPECT_EQ(test::shell("unzip -tqq '" + archiveHost + "' >/dev/null 2>&1"), 0);
    }
    EXPECT_LT(peakKiB() - before, 64 * 1024) << "peak KiB grew from " << before;
}

}  // namespace
}  // namespace qm::archive
