// The keep policy: its option words, the backup times it sorts by, the
// weeks and months it buckets them in, and the names of kept versions.
#include "jobs/KeepPolicy.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "jobs/Versions.h"
#include "platform/CodePage.h"

namespace qm::test {
namespace {

using namespace qm::jobs;

BackupStamp at(int y, int m, int d, int h = 23, int mi = 30, int s = 0) { return {y, m, d, h, mi, s}; }

TEST(KeepPolicy, OptionWordsReadBackAndOnlyCountsInRangeAreTaken) {
    EXPECT_TRUE(KeepWords({}).empty());
    const KeepPolicy policy{3, 4, 6};
    const auto words = KeepWords(policy);
    EXPECT_EQ(words, (std::vector<std::string>{"--keep", "3", "--keep-weekly", "4", "--keep-monthly", "6"}));
    KeepPolicy read;
    std::string why;
    ASSERT_TRUE(ReadKeepWords(words, read, why)) << why;
    EXPECT_EQ(read, policy);
    EXPECT_EQ(KeepText(policy), "3, 4 weekly, 6 monthly");
    EXPECT_EQ(KeepText({}), "1");

    for (const auto& bad : std::vector<std::vector<std::string>>{{"--keep", "0"},
                                                                 {"--keep", "1000"},
                                                                 {"--keep", "-2"},
                                                                 {"--keep", "3x"},
                                                                 {"--keep", ""},
                                                                 {"--keep-weekly", "1000"},
                                                                 {"--keep"},
                                                                 {"--kept", "3"}}) {
        KeepPolicy untouched{5, 0, 0};
        EXPECT_FALSE(ReadKeepWords(bad, untouched, why)) << bad[0];
        EXPECT_EQ(untouched, (KeepPolicy{5, 0, 0})) << "a refused word changed the policy";
    }
    EXPECT_TRUE(ReadKeepWords({"--keep-weekly", "0", "--keep", "999"}, read, why)) << why;
    EXPECT_EQ(read, (KeepPolicy{999, 0, 0}));
}

TEST(KeepPolicy, BackupTimesReadAsTheProgramWritesThem) {
    EXPECT_EQ(ParseBackupTime("12/8/2026 11:30:05 PM"), at(2026, 12, 8, 23, 30, 5));
    EXPECT_EQ(ParseBackupTime("1/1/2027 12:00:00 AM"), at(2027, 1, 1, 0, 0, 0));
    EXPECT_EQ(ParseBackupTime("1/1/2027 12:00:00 PM"), at(2027, 1, 1, 12, 0, 0));
    EXPECT_EQ(ParseBackupTime("2/29/2028 17:04:09"), at(2028, 2, 29, 17, 4, 9));
    for (const char* bad : {"", "2/29/2027 1:00:00 AM", "13/1/2026 1:00:00 AM", "1/1/2026 0:00:00 AM",
                            "1/1/2026 1:60:00", "1/1/2026 1:00:00 XM", "2026-12-08 23:30:05", "1/1/2026"})
        EXPECT_FALSE(ParseBackupTime(bad)) << bad;
    EXPECT_EQ(StampText(at(2026, 12, 8, 3, 4, 5)), "2026-12-08 03-04-05");
}

TEST(KeepPolicy, WeeksAreIsoWeeksAcrossTheTurnOfTheYear) {
    EXPECT_EQ(IsoWeekOf(at(2026, 12, 8)), 202650);
    EXPECT_EQ(IsoWeekOf(at(2021, 1, 3)), 202053);  // a Sunday in the last week of 2020
    EXPECT_EQ(IsoWeekOf(at(2021, 1, 4)), 202101);
    EXPECT_EQ(IsoWeekOf(at(2024, 12, 30)), 202501);                      // a Monday in the first week of 2025
    EXPECT_EQ(IsoWeekOf(at(2026, 12, 13)), IsoWeekOf(at(2026, 12, 7)));  // Sunday and Monday before it
    EXPECT_NE(IsoWeekOf(at(2026, 12, 14)), IsoWeekOf(at(2026, 12, 13)));
    EXPECT_EQ(MonthOf(at(2026, 12, 31)), 202612);
}

std::string keptPattern(const std::vector<BackupStamp>& times, const KeepPolicy& policy) {
    std::string pattern;
    for (bool kept : VersionsKept(times, policy)) pattern += kept ? 'k' : '-';
    return pattern;
}

TEST(KeepPolicy, TheNewestAndOnePerWeekOrMonthAreKept) {
    // A backup every day from Tuesday 2026-12-08 back to 2026-10-20, newest
    // first.
    std::vector<BackupStamp> daily;
    for (int i = 0; i < 50; ++i) {
        int y = 2026, m = 12, d = 8 - i;
        if (d < 1) m = 11, d += 30;
        if (d < 1) m = 10, d += 31;
        daily.push_back(at(y, m, d));
    }
    EXPECT_EQ(keptPattern(daily, {3, 0, 0}).substr(0, 5), "kkk--");
    // Weekly: the newest of each of the last 3 weeks that have one: Tuesday
    // 12-08, Sunday 12-06, Sunday 11-29.
    const std::string weekly = keptPattern(daily, {1, 3, 0});
    EXPECT_EQ(weekly.substr(0, 10), "k-k------k");
    EXPECT_EQ(std::count(weekly.begin(), weekly.end(), 'k'), 3);
    // Monthly: 12-08, 11-30, 10-31.
    const std::string monthly = keptPattern(daily, {1, 0, 3});
    EXPECT_EQ(monthly[0], 'k');
    EXPECT_EQ(monthly[8], 'k');
    EXPECT_EQ(monthly[38], 'k');
    EXPECT_EQ(std::count(monthly.begin(), monthly.end(), 'k'), 3);
    // Weeks without a backup are not counted: a gap reaches further back.
    const std::vector<BackupStamp> sparse{at(2026, 12, 8), at(2026, 11, 10), at(2026, 11, 9), at(2026, 9, 1)};
    EXPECT_EQ(keptPattern(sparse, {1, 3, 0}), "kk-k");
}

TEST(KeepPolicy, VersionNamesCarryTheTimeBeforeTheExtension) {
    using detail::IsVersionName;
    using detail::VersionName;
    EXPECT_EQ(VersionName("nightly.qmk", at(2026, 12, 8, 23, 30, 5)), "nightly 2026-12-08 23-30-05.qmk");
    EXPECT_EQ(VersionName("nightly.qmk", at(2026, 12, 8, 23, 30, 5), 2), "nightly 2026-12-08 23-30-05 (2).qmk");
    EXPECT_EQ(VersionName("backup", at(2026, 1, 2, 3, 4, 5)), "backup 2026-01-02 03-04-05");
    const platform::CodePage cp;
    EXPECT_TRUE(IsVersionName(cp, "nightly.qmk", "nightly 2026-12-08 23-30-05.qmk"));
    EXPECT_TRUE(IsVersionName(cp, "nightly.qmk", "NIGHTLY 2026-12-08 23-30-05.QMK"));
    EXPECT_TRUE(IsVersionName(cp, "nightly.qmk", "nightly 2026-12-08 23-30-05 (12).qmk"));
    for (const char* other : {"nightly.qmk", "nightly 2026-12-08.qmk", "nightly 2026-12-08 23-30-05.zip",
                              "nightly2 2026-12-08 23-30-05.qmk", "nightly 2026-12-08 23-30-05 ().qmk",
                              "nightly 2026-12-08 23-30-05 (x).qmk", "nightly 2026-12-08 23:30:05.qmk"})
        EXPECT_FALSE(IsVersionName(cp, "nightly.qmk", other)) << other;
}

}  // namespace
}  // namespace qm::test
