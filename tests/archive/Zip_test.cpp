#include <zip.h>

#include <sys/mount.h>
#include <unistd.h>

#include "archive/ZipFixture.h"

namespace qm::archive {
namespace {

using test::readHostFile;
using test::win;

class ZipTest : public test::ZipFixture {};

TEST_F(ZipTest, StoresFilesUnderBareNamesAndGivesThemBack) {
    const std::string big = test::randomBytes(300000) + std::string(700000, 'x');
    const auto a = put("data.pst", big);
    const auto b = put("empty.txt", "");
    ::mkdir((srcHost + "/deep").c_str(), 0777);
    test::writeHostFile(srcHost + "/deep/quillmark.dat", "BackupItem=1\r\n");
    const auto c = win(srcHost + "/deep/quillmark.dat");
    ASSERT_TRUE(build({a, b, c})) << why;

    EXPECT_EQ(events.added, (std::vector<std::string>{"data.pst", "empty.txt", "quillmark.dat"}));
    EXPECT_EQ(events.done, 1);
    expectProgressComplete(events.progress);
    EXPECT_TRUE(zip.droppedEntries().empty());
    EXPECT_EQ(contents(archiveHost), (std::map<std::string, std::string>{
                                         {"data.pst", big}, {"empty.txt", ""}, {"quillmark.dat", "BackupItem=1\r\n"}}));
    EXPECT_TRUE(debris(dir.path()).empty());

    // Extraction names the file folder\<bare name>, keeps the time and says so.
    ASSERT_TRUE(zip.OpenArchive(archive, why));
    ASSERT_FALSE(zip.IsArchiveProtected(archive));
    ZipEntry e = zip.FindEntry(std::string("quillmark.dat\0junk", 18));
    ASSERT_TRUE(e.valid());
    ASSERT_TRUE(e.ExtractEntryTo(win(outHost) + "\\", why));
    EXPECT_EQ(readHostFile(outHost + "/quillmark.dat"), "BackupItem=1\r\n");
    EXPECT_EQ(events.extracted, std::vector<std::string>{"quillmark.dat"});
    struct stat source, copy;
    ASSERT_EQ(::stat((srcHost + "/deep/quillmark.dat").c_str(), &source), 0);
    ASSERT_EQ(::stat((outHost + "/quillmark.dat").c_str(), &copy), 0);
    EXPECT_LE(std::abs(source.st_mtime - copy.st_mtime), 2);
    EXPECT_FALSE(zip.FindEntry("missing.pst").valid());
    EXPECT_TRUE(zip.FindEntry("DATA.PST").valid());
}

TEST_F(ZipTest, RefusesWhatCannotBeAFileOfItsOwn) {
    const auto a = put("a.txt", "first");
    ::mkdir((srcHost + "/other").c_str(), 0777);
    test::writeHostFile(srcHost + "/other/A.TXT", "second");
    ::mkdir((srcHost + "/folder.pst").c_str(), 0777);

    EXPECT_FALSE(zip.AddFileEntry(a, why)) << "no archive started";
    ASSERT_TRUE(zip.NewArchive(archive, why));
    EXPECT_FALSE(zip.AddFileEntry(win(srcHost + "/missing.pst"), why));
    EXPECT_FALSE(zip.AddFileEntry(win(srcHost + "/folder.pst"), why));
    EXPECT_TRUE(zip.AddFileEntry(a, why));
    // The same file again is stored once; another file under the same name,
    // in any letter case, would overwrite it on Windows.
    EXPECT_TRUE(zip.AddFileEntry(a, why));
    EXPECT_TRUE(zip.AddFileEntry(win(srcHost + "/A.Txt"), why)) << "the same file, named as Windows may";
    EXPECT_FALSE(zip.AddFileEntry(win(srcHost + "/other/A.TXT"), why));
    ASSERT_TRUE(zip.WriteArchive(why));
    EXPECT_EQ(contents(archiveHost), (std::map<std::string, std::string>{{"a.txt", "first"}}));
    EXPECT_EQ(events.added, std::vector<std::string>{"a.txt"});
}

TEST_F(ZipTest, EntriesInFoldersOfTheArchiveAreNamedSafelyAndWrittenUnderANameOfOneFolder) {
    const auto picture = put("image001.png", "png");
    const auto top = put("sig.htm", "htm");
    ASSERT_TRUE(zip.NewArchive(archive, why));
    // Safe names joined by "/": nothing that could lead out of a folder.
    for (const char* bad : {"../x.png", "a/../x.png", "/x.png", "a//x.png", "a/", "C:/x.png", "a\\x.png", "a/CON",
                            "a/x?.png", "", "a/x.png "})
        EXPECT_FALSE(zip.AddFileEntryAs(picture, bad, why)) << bad;
    EXPECT_TRUE(zip.AddFileEntry(top, why));
    ASSERT_TRUE(zip.AddFileEntryAs(picture, "sig_files/image001.png", why)) << why;
    // Beside a file of the same bare name at the top.
    ASSERT_TRUE(zip.AddFileEntryAs(top, "sig_files/sig.htm", why)) << why;
    EXPECT_FALSE(zip.AddFileEntryAs(picture, "SIG_FILES/sig.htm", why)) << "another file under a name taken";
    ASSERT_TRUE(zip.WriteArchive(why)) << why;
    // Those in folders are not taken out under their own names.
    EXPECT_EQ(contents(archiveHost),
              (std::map<std::string, std::string>{
                  {"sig.htm", "htm"}, {"sig_files/image001.png", "<failed>"}, {"sig_files/sig.htm", "<failed>"}}));

    ASSERT_TRUE(zip.OpenArchive(archive, why));
    const ZipEntry e = zip.FindEntry("sig_files/image001.png");
    ASSERT_TRUE(e.valid());
    // Taken out only under a name of one folder.
    EXPECT_FALSE(e.ExtractEntryTo(win(outHost), why)) << "its own name holds a folder";
    for (const char* bad : {"../x.png", "sub/x.png", "x.png.", "NUL", ""})
        EXPECT_FALSE(e.ExtractEntryAs(win(outHost), bad, why)) << bad;
    EXPECT_TRUE(test::treeOf(outHost).empty());
    ASSERT_TRUE(e.ExtractEntryAs(win(outHost), "image001.png", why)) << why;
    EXPECT_EQ(readHostFile(outHost + "/image001.png"), "png");
    ASSERT_TRUE(zip.FindEntry("sig_files/sig.htm").ExtractEntryAs(win(outHost), "sig.htm", why)) << why;
    EXPECT_EQ(readHostFile(outHost + "/sig.htm"), "htm");
}

TEST_F(ZipTest, AnsiNamesAreStoredAsUtf8) {
    const std::string ansi = "Caf\xE9 r\xE8gles.rwz";  // Windows-1252
    test::writeHostFile(srcHost + "/" + test::testCodePage().toUtf8(ansi), "rules");
    ASSERT_TRUE(build({win(srcHost) + "\\" + ansi}));
    std::string listing;
    {
        FILE* p = ::popen(("7z l -slt -ba '" + archiveHost + "'").c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) listing.append(buf, n);
        ::pclose(p);
    }
    EXPECT_NE(listing.find("Path = Caf\xC3\xA9 r\xC3\xA8gles.rwz"), std::string::npos) << listing;
    ASSERT_TRUE(zip.OpenArchive(archive, why));
    EXPECT_EQ(zip.entryNames(), std::vector<std::string>{ansi});
    ASSERT_TRUE(zip.FindEntry(ansi).ExtractEntryTo(win(outHost), why));
    EXPECT_EQ(readHostFile(outHost + "/" + test::testCodePage().toUtf8(ansi)), "rules");
}

TEST_F(ZipTest, ArchivesPassTheCommonToolsChecks) {
    const auto a = put("Outlook.pst", test::randomBytes(50000) + std::string(50000, 'z'));
    const auto b = put("quillmark.dat", "BackupItem=1000000000\r\n");
    ASSERT_TRUE(build({a, b}));
    EXPECT_EQ(test::shell("unzip -tqq '" + archiveHost + "' >/dev/null 2>&1"), 0);
    EXPECT_EQ(test::shell("7z t -pnone '" + archiveHost + "' </dev/null >/dev/null 2>&1"), 0);

    zip.ResetArchive();
    ASSERT_TRUE(build({a, b}, "S3cret"));
    EXPECT_EQ(test::shell("7z t -pS3cret '" + archiveHost + "' </dev/null >/dev/null 2>&1"), 0);
    EXPECT_NE(test::shell("7z t -pwrong '" + archiveHost + "' </dev/null >/dev/null 2>&1"), 0);
    EXPECT_EQ(test::shell("7z l -slt '" + archiveHost + "' | grep -c 'Method = AES-256' | grep -qx 2"), 0);
}

TEST_F(ZipTest, ProtectionFollowsTheWritePassword) {
    const auto a = put("quillmark.dat", "BackupItem=1000000000\r\n");
    for (const std::string password : {"pw", ""}) {
        SCOPED_TRACE(password);
        zip.ResetArchive();
        ASSERT_TRUE(zip.NewArchive(archive, why));
        ASSERT_TRUE(zip.AddFileEntry(a, why));
        zip.setArchiveWritePassword(password);
        ASSERT_TRUE(zip.WriteArchive(why));
        EXPECT_EQ(zip.IsArchiveProtected(archive), !password.empty());
        ASSERT_TRUE(zip.OpenArchive(archive, why));
        EXPECT_EQ(zip.CheckArchivePassword(why), password.empty()) << "no password given";
        zip.setArchivePassword("pw");
        EXPECT_TRUE(zip.CheckArchivePassword(why));
    }
    // ResetArchive forgets the protection of the last archive.
    zip.ResetArchive();
    ASSERT_TRUE(zip.NewArchive(archive, why));
    ASSERT_TRUE(zip.AddFileEntry(a, why));
    ASSERT_TRUE(zip.WriteArchive(why));
    EXPECT_FALSE(zip.IsArchiveProtected(archive));
}

TEST_F(ZipTest, ReadsSevenZipZipCryptoArchives) {
    put("quillmark.dat", "BackupItem=0000100000\r\n");
    put("sig.htm", std::string(5000, 's'));
    ASSERT_EQ(test::shell("cd '" + srcHost + "' && 7z a -tzip -mem=ZipCrypto -pOpen.Sesame '" + archiveHost +
                          "' quillmark.dat sig.htm >/dev/null"),
              0);
    EXPECT_TRUE(zip.IsArchiveProtected(archive));
    ASSERT_TRUE(zip.OpenArchive(archive, why));
    zip.setArchivePassword("Open.Sesame");
    EXPECT_TRUE(zip.CheckArchivePassword(why));
    ASSERT_TRUE(zip.FindEntry("sig.htm").ExtractEntryTo(win(outHost), why));
    EXPECT_EQ(readHostFile(outHost + "/sig.htm"), std::string(5000, 's'));
    zip.setArchivePassword("open.sesame");
    EXPECT_FALSE(zip.CheckArchivePassword(why));
}

TEST_F(ZipTest, ProtectionIsToldWithoutPassword) {
    EXPECT_FALSE(zip.IsArchiveProtected(archive)) << "missing";
    test::writeHostFile(archiveHost, "not a zip archive at all");
    EXPECT_FALSE(zip.IsArchiveProtected(archive));
    EXPECT_FALSE(zip.OpenArchive(archive, why));
    EXPECT_FALSE(zip.CheckArchivePassword(why));
    EXPECT_FALSE(zip.FindEntry("quillmark.dat").valid());

    // One encrypted entry among plain ones makes the archive protected.
    put("plain.txt", "p");
    put("secret.txt", "s");
    ASSERT_EQ(test::shell("cd '" + srcHost + "' && rm -f '" + archiveHost + "' && 7z a -tzip '" + archiveHost +
                          "' plain.txt >/dev/null && 7z a -tzip -mem=ZipCrypto -px '" + archiveHost +
                          "' secret.txt >/dev/null"),
              0);
    EXPECT_TRUE(zip.IsArchiveProtected(archive));
    // No information file: no password can be confirmed.
    ASSERT_TRUE(zip.OpenArchive(archive, why));
    zip.setArchivePassword("x");
    EXPECT_FALSE(zip.CheckArchivePassword(why));
}

// A wrong password must never be taken: PKWARE's header check lets about one
// in 256 through, so only reading the whole entry and its checksum decides.
TEST_F(ZipTest, NoWrongPasswordIsAccepted) {
    put("quillmark.dat", "BackupItem=0000100000\r\n");
    const std::string crypto = dir / "crypto.qmk";
    ASSERT_EQ(test::shell("cd '" + srcHost + "' && 7z a -tzip -mx0 -mem=ZipCrypto -pRight '" + crypto +
                          "' quillmark.dat >/dev/null"),
              0);
    ASSERT_TRUE(build({win(srcHost + "/quillmark.dat")}, "Right"));

    struct Case {
        std::string path;
        int tries;
    };
    for (const Case& c : {Case{crypto, 6000}, Case{archiveHost, 1500}}) {
        SCOPED_TRACE(c.path);
        Zip reader(*files);
        ASSERT_TRUE(reader.OpenArchive(win(c.path), why));
        int accepted = 0;
        for (int i = 0; i < c.tries; ++i) {
            reader.setArchivePassword("wrong" + std::to_string(i));
            accepted += reader.CheckArchivePassword(why) ? 1 : 0;
        }
        EXPECT_EQ(accepted, 0);
        reader.setArchivePassword("Right");
        EXPECT_TRUE(reader.CheckArchivePassword(why));
    }
}

// AES checks a password with two bytes first, so one wrong password in 65536
// gets past that; only the authentication code at the entry's end tells. The
// entry is stored, so no inflate error can give the wrong password away
// (tests/data/archive/make-aes-verifier-collision.sh made the file).
TEST_F(ZipTest, AesPasswordThatPassesTheQuickCheckIsStillWrong) {
    const std::string fixture = std::string(QM_SOURCE_DIR) + "/tests/data/archive/aes-verifier-collision.qmk";
    ASSERT_EQ(test::shell("cp '" + fixture + "' '" + archiveHost + "'"), 0);
    ASSERT_TRUE(zip.IsArchiveProtected(archive));
    ASSERT_TRUE(zip.OpenArchive(archive, why));
    zip.setArchivePassword("wrong20502");
    EXPECT_FALSE(zip.CheckArchivePassword(why));
    EXPECT_FALSE(zip.FindEntry("quillmark.dat").ExtractEntryTo(win(outHost), why));
    EXPECT_TRUE(test::treeOf(outHost).empty());
    zip.setArchivePassword("Right");
    EXPECT_TRUE(zip.CheckArchivePassword(why));
    ASSERT_TRUE(zip.FindEntry("quillmark.dat").ExtractEntryTo(win(outHost), why));
    EXPECT_EQ(readHostFile(outHost + "/quillmark.dat"), "BackupItem=0000100000\r\n");
}

// Entry names are data from the archive: none may lead out of the folder.
TEST_F(ZipTest, HostileNamesExtractNothing) {
    {
        int error = 0;
        zip_t* za = zip_open(archiveHost.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(za, nullptr);
        static const char payload[] = "owned";
        for (const char* name : {"..\\x", "/abs", "C:x", "a/b", "", "..", "x\\y", "CON", "ok.txt"}) {
            zip_source_t* s = zip_source_buffer(za, payload, 5, 0);
            ASSERT_GE(zip_file_add(za, name, s, ZIP_FL_ENC_RAW), 0) << name;
        }
        ASSERT_EQ(zip_close(za), 0);
    }
    const std::string extract = dir / "x/y/z";
    ASSERT_EQ(test::shell("mkdir -p '" + extract + "'"), 0);
    const auto before = test::treeOf(dir.path());

    ASSERT_TRUE(zip.OpenArchive(archive, why));
    std::vector<std::string> written;
    for (const std::string& name : zip.entryNames()) {
        ZipEntry e = zip.FindEntry(name);
        ASSERT_TRUE(e.valid()) << name;
        if (e.ExtractEntryTo(win(extract), why)) written.push_back(name);
    }
    EXPECT_EQ(written, std::vector<std::string>{"ok.txt"});
    auto after = test::treeOf(dir.path());
    std::erase(after, "x/y/z/ok.txt");
    EXPECT_EQ(after, before);
    EXPECT_EQ(test::treeOf("/abs").size(), 0u);
}

TEST_F(ZipTest, FailedExtractionKeepsTheOldFile) {
    const auto a = put("quillmark.dat", "BackupItem=0000100000\r\n");
    ASSERT_TRUE(build({a}, "Right"));
    test::writeHostFile(outHost + "/quillmark.dat", "old content");

    ASSERT_TRUE(zip.OpenArchive(archive, why));
    zip.setArchivePassword("Wrong");
    EXPECT_FALSE(zip.FindEntry("quillmark.dat").ExtractEntryTo(win(outHost), why));
    EXPECT_EQ(why, "The entry quillmark.dat is damaged (or the password does not open it)");
    EXPECT_EQ(readHostFile(outHost + "/quillmark.dat"), "old content");
    EXPECT_TRUE(debris(outHost).empty());
    EXPECT_TRUE(events.extracted.empty());

    // A missing folder is not made.
    zip.setArchivePassword("Right");
    EXPECT_FALSE(zip.FindEntry("quillmark.dat").ExtractEntryTo(win(dir / "nofolder"), why));
    EXPECT_EQ(::access((dir / "nofolder").c_str(), F_OK), -1);

    // The right password replaces the file.
    ASSERT_TRUE(zip.FindEntry("QUILLMARK.DAT").ExtractEntryTo(win(outHost), why));
    EXPECT_EQ(readHostFile(outHost + "/quillmark.dat"), "BackupItem=0000100000\r\n");
    EXPECT_EQ(events.extracted, std::vector<std::string>{"quillmark.dat"});
}

TEST_F(ZipTest, AnArchiveWithoutEntriesIsStillAnArchive) {
    ASSERT_TRUE(zip.NewArchive(archive, why));
    ASSERT_TRUE(zip.WriteArchive(why));
    expectProgressComplete(events.progress);
    EXPECT_EQ(events.done, 1);
    ASSERT_TRUE(zip.OpenArchive(archive, why));
    EXPECT_TRUE(zip.entryNames().empty());
}

}  // namespace
// The reason a full disk gives is the one the user reads.
TEST_F(ZipTest, AnExtractionTheDiskCannotHoldSaysSo) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to mount a small disk";
    const std::string small = dir / "small";
    ::mkdir(small.c_str(), 0700);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount here";
    const auto a = put("big.pst", test::randomBytes(256 * 1024));
    ASSERT_TRUE(build({a}));
    ASSERT_TRUE(zip.OpenArchive(archive, why));
    EXPECT_FALSE(zip.FindEntry("big.pst").ExtractEntryTo(win(small), why));
    EXPECT_NE(why.find("Cannot write " + win(small) + "\\big.pst: "), std::string::npos) << why;
    EXPECT_NE(why.find("No space left on device"), std::string::npos) << why;
    EXPECT_TRUE(test::treeOf(small).empty());
    ::umount2(small.c_str(), MNT_DETACH);
}

}  // namespace qm::archive
