// Protected archives with Windows' own crypto (BCrypt): entries are the
// bytes libzip's own encryption writes (libzip over BCrypt too), every byte
// of an entry is authenticated, and the archive reads back whole.
#include <string>

#include "archive/AesFormatCases.h"
#include "archive/Zip.h"
#include "win32/Win32Fixture.h"

namespace qm::test {
namespace {

std::string mailLike(std::size_t size) {
    std::string s;
    for (unsigned i = 0; s.size() < size; ++i) {
        s += "Re: invoice " + std::to_string(i % 1009) + " ok\r\n";
        // Bytes deflate cannot shrink, now and then.
        if (i % 500 == 499)
            for (unsigned k = 0; k < 20000; ++k) s += static_cast<char>((k * 2654435761u) >> 13);
    }
    s.resize(size);
    return s;
}

TEST_F(Win32Test, ProtectedEntriesAreLibzipsBytesAndEveryByteCounts) {
    platform::FileSystem& files = *platform.files;
    const std::string data = mailLike(2'400'000);
    const std::string source = folder() + "\\data.pst";
    ASSERT_TRUE(files.writeFile(source, data));
    std::string why;
    ASSERT_TRUE(writeBothWays(files, source, folder() + "\\libzip.zip", folder() + "\\ours.zip", "Pa55", why)) << why;
    std::string libzips, ours;
    ASSERT_TRUE(files.readFile(folder() + "\\libzip.zip", libzips));
    ASSERT_TRUE(files.readFile(folder() + "\\ours.zip", ours));
    EXPECT_EQ(ours.size(), libzips.size());
    EXPECT_TRUE(ours == libzips);

    archive::Zip zip(files);
    const std::string small = folder() + "\\small.dat";
    ASSERT_TRUE(files.writeFile(small, "BackupItem=0000100000\r\n"));
    const std::string target = folder() + "\\b.qmk";
    ASSERT_TRUE(zip.NewArchive(target, why)) << why;
    ASSERT_TRUE(zip.AddFileEntry(small, why)) << why;
    ASSERT_TRUE(zip.AddFileEntry(source, why)) << why;
    zip.setArchiveWritePassword("S3cret");
    ASSERT_TRUE(zip.WriteArchive(why)) << why;
    EXPECT_EQ(unnoticedFlips(files, target, "small.dat", "S3cret", 1), 0);
    EXPECT_EQ(unnoticedFlips(files, target, "data.pst", "S3cret", 49999), 0);

    archive::Zip reader(files);
    ASSERT_TRUE(reader.OpenArchive(target, why)) << why;
    reader.setArchivePassword("S3cret");
    EXPECT_TRUE(reader.TestArchive().empty());
    ASSERT_TRUE(files.createFolder(folder() + "\\out"));
    ASSERT_TRUE(reader.FindEntry("data.pst").ExtractEntryTo(folder() + "\\out", why)) << why;
    std::string back;
    ASSERT_TRUE(files.readFile(folder() + "\\out\\data.pst", back));
    EXPECT_TRUE(back == data);
    reader.setArchivePassword("s3cret");
    EXPECT_EQ(reader.TestArchive().size(), 2u);
}

}  // namespace
}  // namespace qm::test
