#include "disc/LinuxEngineFixture.h"

#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>

namespace qm::test {

void LinuxEngineTest::SetUp() {
    setenv("TZ", "UTC", 1);
    tzset();
}

void LinuxEngineTest::TearDown() {
    window.reset();
    engine.reset();
}

void LinuxEngineTest::open(std::string title, std::string path) {
    disc::linuxburn::LinuxDiscEngineOptions options;
    options.scanDrives = false;
    options.fileDrives = {drivePath()};
    engine = std::make_unique<disc::linuxburn::LinuxDiscEngine>(options);
    window = std::make_unique<disc::DiscWritePresenter>(*engine, view);
    engine->Subscribe(hook);
    ASSERT_TRUE(window->Load(title, path));
    ASSERT_NE(window->SelectedDevice(), nullptr);
}

void LinuxEngineTest::write(int fileSystem, bool verify) {
    const auto& types = view.lists[disc::ComboBox::cboVolumeType];
    for (std::size_t i = 0; i < types.size(); ++i)
        if (types[i].data == fileSystem) view.selected[disc::ComboBox::cboVolumeType] = static_cast<int>(i);
    view.checked[disc::CheckBox::chkAutoVerify] = verify;
    window->WriteDiscPressed();
}

std::string LinuxEngineTest::makeSource(const std::string& name, std::size_t size, std::int64_t mtime) {
    const std::string path = dir / name;
    std::string bytes = "MARKER-" + name + "-";
    std::mt19937 random(static_cast<unsigned>(size));
    while (bytes.size() < size) bytes += static_cast<char>(random() & 0xFF);
    bytes.resize(size);
    writeHostFile(path, bytes);
    struct utimbuf times {
        static_cast<time_t>(mtime), static_cast<time_t>(mtime)
    };
    utime(path.c_str(), &times);
    return path;
}

int run(const std::string& command, std::string& out) {
    out.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int rc = pclose(pipe);
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::size_t findInFile(const std::string& path, const std::string& text) {
    return readHostFile(path).find(text);
}

void patchFile(const std::string& path, std::size_t offset, char byte) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.put(byte);
}

}  // namespace qm::test
