#include "runs/RunsFixture.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "app/Startup.h"
#include "archive/InfoFile.h"
#include "platform/wine/WinePlatform.h"

namespace qm::test {

namespace fs = std::filesystem;

Installation& RunsTest::install(const std::string& name, sample::SampleOptions options) {
    auto inst = std::make_unique<Installation>();
    options.prefix = dir / name;
    std::string error;
    EXPECT_TRUE(sample::buildSampleInstallation(options, inst->made, error)) << error;
    inst->workRoot = dir / (name + "-work");
    platform::wine::WineOptions wine;
    wine.prefix = options.prefix;
    wine.userName = options.user;
    wine.workRoot = inst->workRoot;
    EXPECT_TRUE(platform::wine::openWinePlatform(wine, inst->platform, error)) << error;
    installs.push_back(std::move(inst));
    return *installs.back();
}

app::Session& RunsTest::start(Installation& inst, FakeView& view) {
    sessions.push_back(std::make_unique<app::Session>(inst.platform, view));
    app::Session& s = *sessions.back();
    EXPECT_TRUE(s.hasWorkFolder());
    app::StoreCommandLine(s, "");
    EXPECT_TRUE(app::InitializeMainWindow(s));
    return s;
}

std::string RunsTest::hostOf(const Installation& inst, const std::string& windowsPath) {
    return inst.platform.files->hostPath(windowsPath);
}

std::vector<std::string> RunsTest::workFiles(app::Session& session) {
    return hostFiles(session.files.hostPath(session.state.WorkFolder));
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
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

std::string shq(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

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
    return capture("7z e -so" + passwordOption(password) + " " + shq(archive) + " " + shq(entry) +
                   " 2>/dev/null");
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
    static const char* const keys[] = {"BackupConfig",     "BackupDatas", "BackupRules",         "BackupAccounts",
                                       "BackupSignatures", "BackupStationery", "BackupPab",
                                       "BackupConfigsetting", "BackupTemplates", "BackupSetting"};
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

std::vector<std::string> hostFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string binaryPath() { return std::string(QM_BINARY_DIR) + "/quillmark"; }

std::string quillmark(const Installation& inst, const std::string& arguments) {
    return "env -u DISPLAY -u WAYLAND_DISPLAY XDG_STATE_HOME=" + shq(inst.workRoot) + " " + shq(binaryPath()) +
           " --prefix " + shq(inst.made.prefix) + " --user " + shq(inst.made.userProfileFolder.substr(
                                                                       inst.made.userProfileFolder.rfind('\\') + 1)) +
           " " + arguments;
}

}  // namespace qm::test
