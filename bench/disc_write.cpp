// Benchmark helper (not a test): writes one file to a file drive with the
// disc component, verification on, and prints the seconds the write and the
// verification took.
//   disc_write_bench SOURCE DRIVE_FILE [VOLUME_TYPE_CODE]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "disc/linux/LinuxDiscEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

class Timings : public qm::disc::DiscEvents {
public:
    Clock::time_point verifyStarted{}, verifyFinished{}, ended{};
    int stage = -1, total = 0, matched = 0;
    std::string failure;
    void WriteStatus(int, int s) override {
        if (s >= qm::disc::stage::Completed) {
            stage = s;
            ended = Clock::now();
        }
    }
    void WriteFailed(const qm::disc::WriteFailure& f) override { failure = f.Text; }
    void VerifyStarted(int) override { verifyStarted = Clock::now(); }
    void VerifyFinished(int t, int m) override {
        verifyFinished = Clock::now();
        total = t;
        matched = m;
    }
};

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOURCE DRIVE_FILE [VOLUME_TYPE_CODE]\n", argv[0]);
        return 2;
    }
    qm::disc::linuxburn::LinuxDiscEngineOptions options;
    options.scanDrives = false;
    options.fileDrives = {argv[2]};
    qm::disc::linuxburn::LinuxDiscEngine engine(options);
    Timings timings;
    engine.Subscribe(timings);
    if (!engine.Initialize(false) || engine.DeviceCount() != 1) return 1;
    auto& job = engine.WriteJob();
    const std::string source = argv[1];
    if (!job.Image().AddFile(source, "\\" + source.substr(source.find_last_of('/') + 1))) return 1;
    job.FileSystem = argc > 3 ? std::atoi(argv[3]) : qm::disc::filesystem::Joliet;
    job.Volume.Label = "Outlook Data Backup CD";
    job.AutoVerify = true;
    const auto started = Clock::now();
    if (!job.StartWrite(*engine.DeviceAt(0))) return 1;
    while (engine.Poll(100)) {
    }
    if (timings.stage != qm::disc::stage::Completed || timings.matched != timings.total) {
        std::fprintf(stderr, "write failed: stage %d, %d of %d matched %s\n", timings.stage, timings.matched,
                     timings.total, timings.failure.c_str());
        return 1;
    }
    std::printf("write_seconds=%.2f verify_seconds=%.2f matched=%d/%d\n", seconds(started, timings.verifyStarted),
                seconds(timings.verifyStarted, timings.verifyFinished), timings.matched, timings.total);
    return 0;
}
