#include "stress/StressFixture.h"

#include <sys/mount.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

namespace qm::test {

namespace fs = std::filesystem;

void StressTest::SetUp() {
    sample::SampleOptions options;
    options.outlook = "14.0";
    alice = &install("alice", options, Backend::WinePrefix);
    out = dir / "out";
    fs::create_directories(out);
}

void StressTest::TearDown() {
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) umount2(it->c_str(), MNT_DETACH);
}

Ran StressTest::run(const std::string& arguments, const std::string& before) {
    Ran ran;
    const std::string err = dir / "stderr.txt";
    ran.out = capture(before + quillmark(*alice, arguments) + " </dev/null 2>" + shq(err), &ran.status);
    ran.err = readHostFile(err);
    return ran;
}

std::string StressTest::backup(const std::string& name, const std::string& items) {
    const std::string file = out + "/" + name;
    const Ran ran = run("--backup " + shq(file) + " --profile Outlook --items " + items);
    EXPECT_EQ(ran.status, 0) << ran.err;
    return file;
}

std::string StressTest::registryFiles() const {
    return readHostFile(alice->made.prefix + "/user.reg") + readHostFile(alice->made.prefix + "/system.reg");
}

std::vector<std::string> StressTest::workLeftovers() const {
    std::vector<std::string> left;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(alice->workRoot, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        // The root folders themselves are the user's, made once.
        if (it->is_directory() && it->path().filename() == "quillmark") continue;
        // The history of runs, and the catch-up's lock, are meant to stay.
        const std::string name = it->path().filename().string();
        if (name == "history.log" || name == "history.told" || name == "catch-up.lock") continue;
        left.push_back(fs::relative(it->path(), alice->workRoot).string());
    }
    std::sort(left.begin(), left.end());
    return left;
}

bool StressTest::mountSmallDisk(const std::string& folder, std::uint64_t bytes) {
    fs::create_directories(folder);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) return false;
    mounts_.push_back(folder);
    return true;
}

std::vector<std::string> partFiles(const std::string& folder) {
    std::vector<std::string> parts;
    for (const auto& name : hostFiles(folder))
        if (name.find(".qmpart-") != std::string::npos) parts.push_back(name);
    return parts;
}

namespace {

// `size` zero bytes, made as libzip reads them.
struct Zeros {
    std::uint64_t size;
    std::uint64_t given = 0;
};

zip_int64_t zerosCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* z = static_cast<Zeros*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        z->given = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const zip_uint64_t n = std::min<zip_uint64_t>(length, z->size - z->given);
        std::memset(data, 0, n);
        z->given += n;
        return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE;
        st->size = z->size;
        return sizeof(*st);
    }
    case ZIP_SOURCE_FREE:
        delete z;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_FREE, -1);
    default:
        return -1;
    }
}

}  // namespace

bool writeZip(const std::string& path, const std::vector<ZipInput>& entries, const std::string& password) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return false;
    for (const auto& e : entries) {
        zip_source_t* src = e.zeros ? zip_source_function(z, zerosCallback, new Zeros{e.zeros})
                                    : zip_source_buffer(z, e.bytes.data(), e.bytes.size(), 0);
        const zip_int64_t index = src ? zip_file_add(z, e.name.c_str(), src, ZIP_FL_ENC_RAW) : -1;
        if (index < 0) {
            zip_source_free(src);
            zip_discard(z);
            return false;
        }
        zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
        if (!password.empty() &&
            zip_file_set_encryption(z, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, password.c_str()) != 0) {
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

std::string infoFile(const std::string& items, const std::vector<std::pair<std::string, std::string>>& extra) {
    std::string text = "BackupComputer=HOST\r\nBackupLogonUser=alice\r\nBackupIdentity=Outlook\r\n"
                       "BackupTime=1/2/2026 3:04:05 AM\r\nOutlookversion=Outlook 2010\r\nBackupInformation=\r\n";
    for (const auto& [key, value] : extra) text += key + "=" + value + "\r\n";
    return text + "BackupItem=" + items + "\r\n";
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937_64 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

bool underAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

}  // namespace qm::test
