#include "support/WinePrefixFixture.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/wine/RegServerLock.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

std::string quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Output goes to a file, not a pipe: a wineserver started by the command
// lives on with its descriptors, and a pipe would never reach its end.
int run(const std::string& command, std::string* output) {
    char name[] = "/tmp/qm-wine-out-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) return -1;
    close(fd);
    int rc = std::system(("( " + command + " ) </dev/null >" + name + " 2>&1").c_str());
    if (output) *output = readHostFile(name);
    unlink(name);
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string prefixEnv(const std::string& prefix) {
    return "WINEPREFIX=" + quote(prefix) + " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=C.UTF-8 ";
}

}  // namespace

std::string wineVersion() {
    static const std::string version = [] {
        std::string out;
        if (run("wine --version", &out) != 0) return std::string();
        // The first line that names the version (Debian adds a multiarch hint).
        size_t at = out.find("wine-");
        if (at == std::string::npos) return std::string();
        return out.substr(at, out.find('\n', at) - at);
    }();
    return version;
}

std::string sharedWinePrefix(std::string& error) {
    static std::string made;
    static std::string madeError;
    if (!made.empty() || !madeError.empty()) {
        error = madeError;
        return made;
    }
    std::string version = wineVersion();
    if (version.empty()) {
        error = madeError = "wine is not installed";
        return {};
    }
    std::string key;
    for (char c : version) key += std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' ? c : '_';
    fs::path cache = fs::path(QM_BINARY_DIR) / "wine-prefixes" / key;
    if (fs::exists(cache / "user.reg") && fs::exists(cache / "system.reg")) return made = cache.string();

    // Build beside the cache and rename into place, so a half-made prefix is
    // never taken for a finished one (test processes may race here).
    std::error_code ec;
    fs::create_directories(cache.parent_path(), ec);
    std::string work = (cache.parent_path() / (key + ".tmp-" + std::to_string(getpid()))).string();
    fs::remove_all(work, ec);
    std::string out;
    int rc = run(prefixEnv(work) + "wineboot -i && " + prefixEnv(work) + "wineserver -w", &out);
    if (rc != 0 || !fs::exists(fs::path(work) / "system.reg")) {
        error = madeError = "wineboot failed (" + std::to_string(rc) + "): " + out;
        fs::remove_all(work, ec);
        return {};
    }
    fs::rename(work, cache, ec);
    if (ec) fs::remove_all(work, ec);  // another process finished first
    if (!fs::exists(cache / "system.reg")) {
        error = madeError = "cannot place the prefix at " + cache.string();
        return {};
    }
    return made = cache.string();
}

bool copyWinePrefix(const std::string& source, const std::string& dest, std::string& error) {
    std::error_code ec;
    fs::create_directories(dest, ec);
    std::string out;
    // drive_c is large and the registry tests do not change it: hard links
    // where the file system allows. Everything else is copied.
    std::string cmd = "cd " + quote(source) + " && for f in * .update-timestamp; do [ -e \"$f\" ] || continue; "
                      "if [ \"$f\" = drive_c ]; then cp -al drive_c " + quote(dest) + "/ 2>/dev/null || cp -a drive_c " +
                      quote(dest) + "/; else cp -a \"$f\" " + quote(dest) + "/; fi; done";
    if (run(cmd, &out) != 0) {
        error = "cannot copy the prefix: " + out;
        return false;
    }
    return true;
}

void WinePrefixTest::SetUp() {
    if (wineVersion().empty()) GTEST_SKIP() << "wine is not installed: Wine interoperation not tested";
    std::string error;
    std::string shared = sharedWinePrefix(error);
    ASSERT_FALSE(shared.empty()) << error;
    prefix = dir / "prefix";
    ASSERT_TRUE(copyWinePrefix(shared, prefix, error)) << error;
}

void WinePrefixTest::TearDown() {
    if (prefix.empty()) return;
    run(env() + "wineserver -k; " + env() + "wineserver -w", nullptr);
    // Wine leaves its server folder behind; this prefix is gone with the test.
    for (const auto& lock : platform::wine::WineServerGuard(prefix).lockPaths()) {
        std::error_code ec;
        fs::path server = fs::path(lock).parent_path();
        fs::remove_all(server, ec);
        fs::remove(server.parent_path(), ec);  // only when empty
    }
}

std::string WinePrefixTest::env() const { return prefixEnv(prefix); }

int WinePrefixTest::wine(const std::string& args, std::string* output) const {
    return run(env() + "wine " + args, output);
}

void WinePrefixTest::startServer() const { run(env() + "wineserver -p", nullptr); }

void WinePrefixTest::stopServer() const { run(env() + "wineserver -k; " + env() + "wineserver -w", nullptr); }

}  // namespace qm::test
