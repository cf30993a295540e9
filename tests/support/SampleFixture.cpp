#include "support/SampleFixture.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#ifdef _WIN32
#include <zip.h>
#endif
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "archive/InfoFile.h"
#include "base/WinPath.h"
#include "platform/FileOps.h"
#include "platform/OpenPlatform.h"
#include "platform/RegistryAccess.h"
#include "platform/memory/MemoryPlatform.h"
#include "support/HostDrive.h"

namespace qm::test {

namespace fs = std::filesystem;

Installation& SampleTest::install(const std::string& name, sample::SampleOptions options, Backend backend) {
    auto inst = std::make_unique<Installation>();
    std::string error;
    if (backend == Backend::Memory) {
        auto mem = platform::memory::openMemoryPlatform(inst->platform, options.user, options.windows);
        mem.files->mount('Z', hostDrive());
        mem.outlook->version = options.outlook;
        mem.system->facts().computerName = "QM-" + name.substr(0, 12);
        EXPECT_TRUE(sample::buildSample(options, inst->platform, inst->made, error)) << error;
    } else {
#ifdef _WIN32
        ADD_FAILURE() << "the Windows build makes no Wine prefixes";
#else
        options.prefix = dir / name;
        EXPECT_TRUE(sample::buildSampleInstallation(options, inst->made, error)) << error;
        inst->workRoot = dir / (name + "-work");
        platform::PlatformOptions wine;
        wine.prefix = options.prefix;
        wine.userName = options.user;
        wine.workRoot = inst->workRoot;
        EXPECT_TRUE(platform::openPlatform(wine, inst->platform, error)) << error;
#endif
    }
    installs.push_back(std::move(inst));
    return *installs.back();
}

std::string SampleTest::hostOf(const Installation& inst, const std::string& windowsPath) {
    return inst.platform.files->hostPath(windowsPath);
}

bool SampleTest::exists(const Installation& inst, const std::string& windowsPath) {
    return inst.platform.files->stat(windowsPath).exists;
}

void SampleTest::writeFile(Installation& inst, const std::string& windowsPath, const std::string& bytes) {
    ASSERT_TRUE(platform::makeFolders(*inst.platform.files, base::parentFolder(windowsPath, base::singleByte())));
    ASSERT_TRUE(inst.platform.files->writeFile(windowsPath, bytes)) << windowsPath;
}

bool SampleTest::removeFile(Installation& inst, const std::string& windowsPath) {
    return platform::removeFile(*inst.platform.files, windowsPath);
}

void SampleTest::removeTree(Installation& inst, const std::string& windowsPath) {
    auto* mem = dynamic_cast<platform::memory::MemoryFileSystem*>(inst.platform.files.get());
    if (!mem) {
        std::error_code ec;
        fs::remove_all(hostOf(inst, windowsPath), ec);
        return;
    }
    // Deepest first, so that each folder is empty when it goes.
    const auto& cp = *inst.platform.codePage;
    auto paths = mem->allPaths();
    std::reverse(paths.begin(), paths.end());
    for (const auto& path : paths) {
        const std::u16string p = cp.foldCase(path), root = cp.foldCase(windowsPath);
        if (p != root && p.rfind(root + u"\\", 0) != 0) continue;
        if (!platform::removeFile(*mem, path)) mem->removeFolder(path);
    }
}

std::vector<std::string> SampleTest::workFiles(app::Session& session) {
    std::vector<std::string> names;
    session.files.listFiles(session.state.WorkFolder, names);
    return names;
}

std::string capture(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status) *status = -1;
        return out;
    }
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    int rc = pclose(pipe);
#ifdef _WIN32
    if (status) *status = rc;
#else
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
#endif
    return out;
}

std::string shq(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

#ifdef _WIN32
// Windows has no 7-Zip to start here: libzip reads the archives instead
// (the console tests under Wine check the same archives with 7-Zip).
namespace {

struct OpenZip {
    OpenZip(const std::string& archive, const std::string& password) {
        int error = 0;
        z = zip_open(archive.c_str(), ZIP_RDONLY, &error);
        if (z && !password.empty()) zip_set_default_password(z, password.c_str());
    }
    ~OpenZip() {
        if (z) zip_discard(z);
    }
    OpenZip(const OpenZip&) = delete;
    OpenZip& operator=(const OpenZip&) = delete;
    // The entry's bytes; false when it cannot be read (wrong password, CRC).
    bool read(zip_int64_t index, std::string& bytes) const {
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(index), 0);
        if (!f) return false;
        char buffer[65536];
        zip_int64_t n = 0;
        while ((n = zip_fread(f, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(n));
        return zip_fclose(f) == 0 && n == 0;
    }
    zip_t* z = nullptr;
};

}  // namespace

std::vector<std::string> sevenZipEntries(const std::string& archive, const std::string& password) {
    OpenZip zip(archive, password);
    std::vector<std::string> names;
    if (!zip.z) return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip.z, 0); ++i)
        names.emplace_back(zip_get_name(zip.z, static_cast<zip_uint64_t>(i), 0));
    std::sort(names.begin(), names.end());
    return names;
}

std::string sevenZipRead(const std::string& archive, const std::string& entry, const std::string& password) {
    OpenZip zip(archive, password);
    std::string bytes;
    const zip_int64_t index = zip.z ? zip_name_locate(zip.z, entry.c_str(), 0) : -1;
    if (index < 0 || !zip.read(index, bytes)) return {};
    return bytes;
}

bool sevenZipTests(const std::string& archive, const std::string& password) {
    OpenZip zip(archive, password);
    if (!zip.z) return false;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip.z, 0); ++i) {
        std::string bytes;
        if (!zip.read(i, bytes)) return false;
    }
    return true;
}

bool sevenZipEncrypted(const std::string& archive) {
    OpenZip zip(archive, "");
    if (!zip.z) return false;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip.z, 0); ++i) {
        zip_stat_t st;
        if (zip_stat_index(zip.z, static_cast<zip_uint64_t>(i), 0, &st) == 0 &&
            (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            return true;
    }
    return false;
}

#else
namespace {
std::string passwordOption(const std::string& password) { return " " + shq("-p" + password); }
}  // namespace

std::vector<std::string> sevenZipEntries(const std::string& archive, const std::string& password) {
    std::string out = capture("7z l -slt -ba" + passwordOption(password) + " " + shq(archive) + " 2>/dev/null");
    std::vector<std::string> names;
    size_t pos = 0;
    while ((pos = out.find("Path = ", pos)) != std::string::npos) {
        if (pos == 0 || out[pos - 1] == '\n') {
            auto end = out.find('\n', pos);
            names.push_back(out.substr(pos + 7, end - pos - 7));
        }
        pos += 7;
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string sevenZipRead(const std::string& archive, const std::string& entry, const std::string& password) {
    return capture("7z e -so" + passwordOption(password) + " " + shq(archive) + " " + shq(entry) + " 2>/dev/null");
}

bool sevenZipTests(const std::string& archive, const std::string& password) {
    int status = -1;
    std::string out = capture("7z t" + passwordOption(password) + " " + shq(archive) + " 2>&1", &status);
    return status == 0 && out.find("Everything is Ok") != std::string::npos;
}

bool sevenZipEncrypted(const std::string& archive) {
    std::string out = capture("7z l -slt -ba -p " + shq(archive) + " 2>/dev/null");
    return out.find("Encrypted = +") != std::string::npos;
}
#endif

std::string InfoLines::operator[](const std::string& key) const {
    auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
}

InfoLines parseInfo(const std::string& bytes) {
    InfoLines info;
    size_t pos = 0;
    while (pos < bytes.size()) {
        auto end = bytes.find("\r\n", pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        auto eq = line.find('=');
        if (eq != std::string::npos) {
            std::string key = line.substr(0, eq);
            info.keys.push_back(key);
            info.values.emplace(key, line.substr(eq + 1));
        }
        pos = end + 2;
    }
    return info;
}

std::vector<std::string> recordedEntries(const InfoLines& info) {
    // With the keys beside the parts' own: the signatures' folders, the
    // option trees of 2013 and later.
    static const char* const keys[] = {"BackupConfig",
                                       "BackupDatas",
                                       "BackupRules",
                                       "BackupAccounts",
                                       "BackupSignatures",
                                       "BackupStationery",
                                       "BackupPab",
                                       "BackupConfigsetting",
                                       "BackupTemplates",
                                       "BackupSetting",
                                       "BackupSignatureFolders",
                                       "BackupConfigsettingPreferences",
                                       "BackupConfigsettingMailSettings"};
    std::vector<std::string> names;
    for (const char* key : keys) {
        std::string value = info[key];
        if (value.empty()) continue;
        size_t start = 0;
        while (true) {
            auto end = value.find(';', start);
            std::string name = value.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return n == name; }))
                names.push_back(name);
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    names.push_back(archive::kInfoFileName);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {
void keyText(platform::Registry& registry, platform::KeyHandle root, const std::string& sub, std::string& out) {
    out += "[" + sub + "]\n";
    for (const auto& name : platform::valueNames(registry, root, sub)) {
        platform::RegType type = platform::RegType::None;
        std::string bytes;
        platform::readValue(registry, root, sub, name, type, bytes);
        out += name + "=" + std::to_string(static_cast<unsigned>(type)) + ":" + bytes + "\n";
    }
    for (const auto& child : platform::subkeyNames(registry, root, sub))
        keyText(registry, root, sub.empty() ? child : sub + "\\" + child, out);
}
}  // namespace

std::string registryText(platform::Registry& registry) {
    std::string out;
    keyText(registry, platform::RootKey::CurrentUser, "", out);
    keyText(registry, platform::RootKey::LocalMachine, "", out);
    return out;
}

std::vector<std::string> hostFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> stateLeftovers(const std::string& stateFolder) {
    std::vector<std::string> names = hostFiles(stateFolder);
    // The history of runs, and the catch-up's lock, are meant to stay.
    std::erase_if(names, [](const std::string& name) {
        return name == "history.log" || name == "history.told" || name == "catch-up.lock";
    });
    return names;
}

std::string binaryPath() { return std::string(QM_BINARY_DIR) + "/quillmark"; }

std::string quillmark(const Installation& inst, const std::string& arguments) {
    return "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_STATE_HOME=" + shq(inst.workRoot) + " " +
           shq(binaryPath()) + " --prefix " + shq(inst.made.prefix) + " --user " +
           shq(inst.made.userProfileFolder.substr(inst.made.userProfileFolder.rfind('\\') + 1)) + " " + arguments;
}

}  // namespace qm::test
