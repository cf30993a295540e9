// The history of runs: its record format, read back as written; its bound;
// the last scheduled run of a backup file; failures told once.
#include "jobs/RunHistory.h"

#include <gtest/gtest.h>

#include "platform/memory/MemoryPlatform.h"

namespace qm::test {
namespace {

using jobs::RunRecord;

class RunHistoryTest : public ::testing::Test {
protected:
    void SetUp() override { memory = platform::memory::openMemoryPlatform(services); }
    jobs::RunHistory history() { return jobs::RunHistory::in(*services.files, kFolder); }
    std::string log() {
        std::string bytes;
        services.files->readFile(std::string(kFolder) + "\\history.log", bytes);
        return bytes;
    }

    static constexpr const char* kFolder = "C:\\users\\alice\\AppData\\Local";
    platform::Platform services;
    platform::memory::MemoryInstallation memory;
};

TEST_F(RunHistoryTest, ARecordIsOneLineOfFiveFields) {
    const RunRecord r{"2026-12-08 23:30:05", "scheduled", "/home/alice/b.qmk", 3, "failed: the rules"};
    EXPECT_EQ(jobs::RecordLine(r), "2026-12-08 23:30:05\tscheduled\t/home/alice/b.qmk\t3\tfailed: the rules\n");
    // No field can cut a line or shift the fields after it.
    const RunRecord odd{"2026-12-08 23:30:05", "backup", "C:\\a\tb.qmk", 1, "line one\r\nline\ttwo"};
    const std::string line = jobs::RecordLine(odd);
    EXPECT_EQ(line, "2026-12-08 23:30:05\tbackup\tC:\\a b.qmk\t1\tline one  line two\n");
    const auto back = jobs::ReadRecordLine(line.substr(0, line.size() - 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->file, "C:\\a b.qmk");
    EXPECT_EQ(back->exitStatus, 1);
    EXPECT_EQ(back->message, "line one  line two");
    // An empty message is a record too.
    EXPECT_TRUE(jobs::ReadRecordLine("2026-12-08 23:30:05\tbackup\tb.qmk\t0\t"));
    // Half lines of a killed run, and other text, are not.
    for (const char* bad : {"", "2026-12-08 23:30:05\tbackup\tb.qmk\t0", "2026-12-08 23:30\tbackup\tb\t0\t",
                            "2026-12-08 23:30:05\t\tb\t0\t", "2026-12-08 23:30:05\tbackup\tb\tx\t",
                            "2026-12-08 23:30:05\tbackup\tb\t0\tm\textra"})
        EXPECT_FALSE(jobs::ReadRecordLine(bad)) << bad;
}

TEST_F(RunHistoryTest, AppendedRecordsReadBackInOrderAndTheLogStaysBounded) {
    auto h = history();
    std::string why;
    ASSERT_TRUE(h.append({"2026-12-08 01:00:00", "backup", "a.qmk", 0, ""}, why)) << why;
    ASSERT_TRUE(h.append({"2026-12-08 02:00:00", "restore", "a.qmk", 3, "failed: x"}, why)) << why;
    services.files->appendFile(std::string(kFolder) + "\\history.log", "2026-12-08 02:30:00\tbacku");  // killed
    ASSERT_TRUE(h.append({"2026-12-08 03:00:00", "scheduled", "b.qmk", 1, "no backup written"}, why)) << why;
    auto records = h.records();
    // The killed run's half line is passed over; the record after it stays.
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].kind, "backup");
    EXPECT_EQ(records[1].kind, "restore");
    EXPECT_EQ(records[2].message, "no backup written");

    // Many runs later the log is cut to its newer records, whole lines only.
    const std::string message(400, 'm');
    for (int i = 0; i < 2000; ++i) {
        char time[32];
        std::snprintf(time, sizeof time, "2027-01-%02d %02d:%02d:00", 1 + i / 1440 % 28, i / 60 % 24, i % 60);
        ASSERT_TRUE(h.append({time, "scheduled", "b.qmk", i % 2, message}, why)) << why;
    }
    const std::string bytes = log();
    EXPECT_LE(bytes.size(), jobs::kMaxHistoryBytes);
    records = h.records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().time, "2027-01-02 09:19:00");
    EXPECT_EQ(records.back().exitStatus, 1);
    EXPECT_GT(records.size(), 200u);
    EXPECT_EQ(bytes.front(), '2');  // begins with a whole record
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), static_cast<long>(records.size()));
}

TEST_F(RunHistoryTest, TheLastScheduledRunOfAFileAndTheFailuresNotYetTold) {
    auto h = history();
    std::string why;
    EXPECT_FALSE(h.lastScheduledRun("b.qmk"));
    EXPECT_TRUE(h.untoldFailures().empty());
    ASSERT_TRUE(h.append({"2026-12-06 23:30:00", "scheduled", "b.qmk", 1, "first"}, why));
    ASSERT_TRUE(h.append({"2026-12-07 23:30:00", "scheduled", "b.qmk", 0, ""}, why));
    ASSERT_TRUE(h.append({"2026-12-07 23:45:00", "scheduled", "c.qmk", 3, "second"}, why));
    ASSERT_TRUE(h.append({"2026-12-08 08:00:00", "backup", "b.qmk", 1, "by hand"}, why));
    const auto last = h.lastScheduledRun("b.qmk");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->time, "2026-12-07 23:30:00");
    EXPECT_EQ(last->exitStatus, 0);
    // A job added later into the same file has not run yet: the earlier
    // job's runs are not its own.
    ASSERT_TRUE(h.append({"2026-12-08 09:00:00", "added", "b.qmk", 0, jobs::AddedJobMessage(4)}, why));
    EXPECT_FALSE(h.lastScheduledRun("b.qmk", 4));
    EXPECT_TRUE(h.lastScheduledRun("b.qmk", 3));
    ASSERT_TRUE(h.append({"2026-12-08 09:30:00", "scheduled", "b.qmk", 0, ""}, why));
    EXPECT_EQ(h.lastScheduledRun("b.qmk", 4)->time, "2026-12-08 09:30:00");

    auto untold = h.untoldFailures();
    ASSERT_EQ(untold.size(), 2u);
    EXPECT_EQ(untold[0].message, "first");
    EXPECT_EQ(untold[1].message, "second");
    ASSERT_TRUE(h.markTold(untold.back().time));
    EXPECT_TRUE(h.untoldFailures().empty());
    ASSERT_TRUE(h.append({"2026-12-08 23:30:00", "scheduled", "b.qmk", 1, "third"}, why));
    untold = h.untoldFailures();
    ASSERT_EQ(untold.size(), 1u);
    EXPECT_EQ(untold[0].message, "third");
}

TEST_F(RunHistoryTest, ALogThatCannotBeWrittenSaysSo) {
    auto h = jobs::RunHistory::in(*services.files, "C:\\no\\such\\folder");
    std::string why;
    EXPECT_FALSE(h.append({"2026-12-08 01:00:00", "backup", "a.qmk", 0, ""}, why));
    EXPECT_NE(why.find("C:\\no\\such\\folder\\history.log"), std::string::npos) << why;
    EXPECT_TRUE(h.records().empty());
}

}  // namespace
}  // namespace qm::test
