// The check that reads a new archive back before it replaces the earlier
// one, the test of an opened archive, the rights of a new archive, and the
// events of a write compressed on other threads.
#include <sys/stat.h>
#include <zip.h>

#include <cstdio>
#include <functional>
#include <thread>

#include "archive/ZipFixture.h"

namespace qm::archive {
namespace {

using test::readHostFile;
using test::win;

// The file layer with a fault of the disk: what was written to a
// replacement is changed after the write, just before it is read back.
class DamagingFiles final : public platform::FileSystem {
public:
    explicit DamagingFiles(platform::FileSystem& inner) : inner_(inner) {}
    // Given the bytes written, the offset of the byte to flip (npos: none).
    std::function<std::size_t(const std::string& written)> flipAt;
    int damaged = 0;

    const platform::CodePage& codePage() const override { return inner_.codePage(); }
    std::string hostPath(const std::string& p) const override { return inner_.hostPath(p); }
    std::string windowsPath(const std::string& p) const override { return inner_.windowsPath(p); }
    std::string fromUserPath(const std::string& p) const override { return inner_.fromUserPath(p); }
    bool fileExists(const std::string& p) const override { return inner_.fileExists(p); }
    bool folderExists(const std::string& p) const override { return inner_.folderExists(p); }
    bool listFiles(const std::string& f, std::vector<std::string>& n) const override { return inner_.listFiles(f, n); }
    bool createFolder(const std::string& p) override { return inner_.createFolder(p); }
    bool renameFile(const std::string& a, const std::string& b) override { return inner_.renameFile(a, b); }
    bool deleteFile(const std::string& p) override { return inner_.deleteFile(p); }
    std::uint32_t getAttributes(const std::string& p) const override { return inner_.getAttributes(p); }
    bool setAttributes(const std::string& p, std::uint32_t a) override { return inner_.setAttributes(p, a); }
    bool readFile(const std::string& p, std::string& b) const override { return inner_.readFile(p, b); }
    bool writeFile(const std::string& p, const std::string& b) override { return inner_.writeFile(p, b); }
    bool appendFile(const std::string& p, const std::string& b) override { return inner_.appendFile(p, b); }
    platform::FileInfo stat(const std::string& p) const override { return inner_.stat(p); }
    std::unique_ptr<platform::ReadStream> openRead(const std::string& p, std::string& e) const override {
        return inner_.openRead(p, e);
    }
    void removeStaleReplacements(const std::string& t) override { inner_.removeStaleReplacements(t); }
    unsigned getTempFileName(const std::string& f, const std::string& p, unsigned u, std::string& r) override {
        return inner_.getTempFileName(f, p, u, r);
    }
    std::unique_ptr<platform::ReplaceStream> createReplacement(const std::string& target, std::string& error,
                                                               platform::NewFileAccess access) override {
        auto part = inner_.createReplacement(target, error, access);
        if (!part) return nullptr;
        return std::make_unique<Stream>(*this, std::move(part));
    }

private:
    class Stream final : public platform::ReplaceStream {
    public:
        Stream(DamagingFiles& owner, std::unique_ptr<platform::ReplaceStream> inner)
            : owner_(owner), inner_(std::move(inner)) {}
        bool write(const void* d, std::size_t n) override { return inner_->write(d, n); }
        bool seek(std::int64_t o, platform::SeekFrom f) override { return inner_->seek(o, f); }
        std::int64_t tell() override { return inner_->tell(); }
        bool commit() override { return inner_->commit(); }
        void discard() override { inner_->discard(); }
        std::string keep() override { return inner_->keep(); }
        bool setModified(std::int64_t s) override { return inner_->setModified(s); }
        std::string error() const override { return inner_->error(); }
        std::unique_ptr<platform::ReadStream> readBack() override {
            if (owner_.flipAt) {
                std::string written;
                auto in = inner_->readBack();
                char buffer[65536];
                for (std::int64_t n; (n = in->read(buffer, sizeof buffer)) > 0;)
                    written.append(buffer, static_cast<std::size_t>(n));
                const std::size_t at = owner_.flipAt(written);
                if (at != std::string::npos) {
                    const char flipped = static_cast<char>(written[at] ^ 0x20);
                    inner_->seek(static_cast<std::int64_t>(at), platform::SeekFrom::Begin);
                    inner_->write(&flipped, 1);
                    ++owner_.damaged;
                }
            }
            return inner_->readBack();
        }

    private:
        DamagingFiles& owner_;
        std::unique_ptr<platform::ReplaceStream> inner_;
    };

    platform::FileSystem& inner_;
};

std::uint32_t le32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

// Where the central directory starts (no comment, no ZIP64 end record).
std::size_t centralDirectory(const std::string& archiveBytes) {
    return le32(archiveBytes, archiveBytes.size() - 22 + 16);
}

// Text that deflates well mixed with noise that does not, over several blocks.
std::string mailLike(std::size_t size, unsigned seed) {
    std::string s;
    const std::string noise = test::randomBytes(48 * 1024, seed);
    for (unsigned i = 0; s.size() < size; ++i) {
        if (i % 3 == 2) {
            s += noise;
        } else {
            for (int k = 0; k < 900; ++k)
                s += "Subject: RE: budget " + std::to_string((i * 131 + k * 7) % 997) + "\r\n";
        }
    }
    s.resize(size);
    return s;
}

class ZipCheckTest : public test::ZipFixture {
protected:
    DamagingFiles damaging{*files};
    Zip checked{damaging};
    std::string earlier;

    void SetUp() override {
        ZipFixture::SetUp();
        checked.setEvents(&events);
        const auto old = put("old.txt", "the earlier backup");
        ASSERT_TRUE(build({old}));
        earlier = readHostFile(archiveHost);
        zip.ResetArchive();
        events = {};
    }

    bool buildChecked(const std::vector<std::string>& paths, const std::string& password) {
        if (!checked.NewArchive(archive, why)) return false;
        for (const auto& p : paths)
            if (!checked.AddFileEntry(p, why)) return false;
        checked.setArchiveWritePassword(password);
        return checked.WriteArchive(why);
    }

    void expectEarlierKept() {
        EXPECT_EQ(readHostFile(archiveHost), earlier);
        EXPECT_TRUE(debris(dir.path()).empty());
        EXPECT_EQ(events.done, 0);
    }
};

TEST_F(ZipCheckTest, SoundArchivesAreCommittedAndReadEverywhere) {
    const std::string big = mailLike(3 * 1024 * 1024 + 12345, 3);
    const auto paths = std::vector<std::string>{put("big.pst", big), put("empty.txt", ""), put("one.txt", "1")};
    for (const std::string& password : {std::string(), std::string("S3cret")}) {
        SCOPED_TRACE(password);
        ASSERT_TRUE(buildChecked(paths, password)) << why;
        EXPECT_EQ(damaging.damaged, 0);
        expectProgressComplete(events.progress);
        events = {};
        const auto got = contents(archiveHost, password);
        EXPECT_EQ(got.at("big.pst"), big);
        EXPECT_EQ(got.at("empty.txt"), "");
        EXPECT_EQ(got.at("one.txt"), "1");
        EXPECT_LT(readHostFile(archiveHost).size(), big.size()) << "the text was deflated";
        EXPECT_EQ(test::shell("7z t -p'" + (password.empty() ? std::string("none") : password) + "' '" + archiveHost +
                              "' </dev/null >/dev/null 2>&1"),
                  0);
        if (password.empty()) {
            EXPECT_EQ(test::shell("unzip -tqq '" + archiveHost + "' >/dev/null 2>&1"), 0);
        }

        Zip reader(*files);
        ASSERT_TRUE(reader.OpenArchive(archive, why));
        if (!password.empty()) reader.setArchivePassword(password);
        EXPECT_TRUE(reader.TestArchive().empty());
    }
}

TEST_F(ZipCheckTest, AnArchiveDamagedBeforeItsRenameLeavesTheEarlierOne) {
    const auto big = put("big.pst", mailLike(2 * 1024 * 1024, 5));
    const auto small = put("small.txt", "small");
    // A byte inside the first entry's data, well past its local header.
    damaging.flipAt = [](const std::string&) { return std::size_t{4000}; };
    for (const std::string& password : {std::string(), std::string("S3cret")}) {
        SCOPED_TRACE(password);
        EXPECT_FALSE(buildChecked({big, small}, password));
        EXPECT_NE(why.find("big.pst"), std::string::npos) << why;
        EXPECT_EQ(why.find("small.txt"), std::string::npos) << why;
        expectEarlierKept();
    }
    EXPECT_EQ(damaging.damaged, 2);
}

TEST_F(ZipCheckTest, AWrongAuthenticationCodeFailsTheWrite) {
    const auto a = put("a.pst", mailLike(200 * 1024, 7));
    const auto b = put("b.pst", mailLike(300 * 1024, 8));
    // The last byte of the last entry's data: its AES authentication code.
    damaging.flipAt = [](const std::string& written) { return centralDirectory(written) - 1; };
    EXPECT_FALSE(buildChecked({a, b}, "S3cret"));
    EXPECT_EQ(damaging.damaged, 1);
    EXPECT_NE(why.find("b.pst"), std::string::npos) << why;
    EXPECT_EQ(why.find("a.pst"), std::string::npos) << why;
    expectEarlierKept();
}

TEST_F(ZipCheckTest, TestArchiveNamesTheDamagedEntries) {
    const auto a = put("a.pst", mailLike(100 * 1024, 9));
    const auto b = put("b.pst", mailLike(1500 * 1024, 10));
    for (const std::string& password : {std::string(), std::string("S3cret")}) {
        SCOPED_TRACE(password);
        ASSERT_TRUE(buildChecked({a, b}, password)) << why;
        std::string bytes = readHostFile(archiveHost);
        // One byte in the middle of b.pst's stored data, which ends where
        // the central directory begins.
        int error = 0;
        zip_t* za = zip_open(archiveHost.c_str(), ZIP_RDONLY, &error);
        ASSERT_NE(za, nullptr);
        zip_stat_t st;
        ASSERT_EQ(zip_stat(za, "b.pst", 0, &st), 0);
        zip_discard(za);
        bytes[centralDirectory(bytes) - st.comp_size / 2] ^= 0x01;
        test::writeHostFile(archiveHost, bytes);

        Zip reader(*files);
        ASSERT_TRUE(reader.OpenArchive(archive, why));
        if (!password.empty()) reader.setArchivePassword(password);
        EXPECT_EQ(reader.TestArchive(), std::vector<std::string>{"b.pst"});
        if (!password.empty()) {
            reader.setArchivePassword("wrong");
            EXPECT_EQ(reader.TestArchive(), (std::vector<std::string>{"a.pst", "b.pst"}));
        }
    }
}

TEST_F(ZipCheckTest, NewArchivesAreForTheOwnerAndReplacementsKeepTheMode) {
    const auto a = put("a.txt", "a");
    auto mode = [&] {
        struct stat st {};
        ::stat(archiveHost.c_str(), &st);
        return st.st_mode & 07777;
    };
    std::remove(archiveHost.c_str());
    const mode_t oldMask = ::umask(022);
    ASSERT_TRUE(buildChecked({a}, ""));
    EXPECT_EQ(mode(), 0600u) << "new";
    ASSERT_TRUE(buildChecked({a}, ""));
    EXPECT_EQ(mode(), 0600u) << "replacing a private archive";
    ::chmod(archiveHost.c_str(), 0640);
    ASSERT_TRUE(buildChecked({a}, "S3cret"));
    EXPECT_EQ(mode(), 0640u) << "replacing one the user opened to the group";
    ::umask(oldMask);
}

TEST_F(ZipCheckTest, EventsComeOnTheWritingThreadAndCancellationStopsTheCheck) {
    struct ThreadEvents : test::RecordingEvents {
        std::thread::id writer = std::this_thread::get_id();
        int working = 0;
        bool elsewhere = false;
        void ArchiveWorking() override {
            ++working;
            elsewhere = elsewhere || std::this_thread::get_id() != writer;
        }
        void ArchiveWriteProgress(int percent) override {
            elsewhere = elsewhere || std::this_thread::get_id() != writer;
            RecordingEvents::ArchiveWriteProgress(percent);
        }
    } threadEvents;
    checked.setEvents(&threadEvents);
    const auto big = put("big.pst", mailLike(6 * 1024 * 1024, 11));
    ASSERT_TRUE(buildChecked({big}, "")) << why;
    EXPECT_FALSE(threadEvents.elsewhere);
    EXPECT_GE(threadEvents.working, 20) << "often, so that a window keeps answering";
    expectProgressComplete(threadEvents.progress);

    // Stopped while the archive is read back: nothing replaces the target.
    const std::string written = readHostFile(archiveHost);
    ThreadEvents stopping;
    stopping.cancel = [&] { return !stopping.progress.empty() && stopping.progress.back() >= 90; };
    checked.setEvents(&stopping);
    EXPECT_FALSE(buildChecked({big}, ""));
    EXPECT_GE(stopping.progress.back(), 90);
    EXPECT_EQ(stopping.done, 0);
    EXPECT_EQ(readHostFile(archiveHost), written);
    EXPECT_TRUE(debris(dir.path()).empty());
}

}  // namespace
}  // namespace qm::archive
