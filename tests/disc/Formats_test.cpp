// Numbers, dates and paths as the disc windows write them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "disc/Formats.h"

namespace qm::test {
namespace {

using namespace disc;

TEST(DiscFormatsTest, SizesSpeedsAndPercentages) {
    EXPECT_EQ(FormatKilobytes(1234567), "1,234.57 KB");
    EXPECT_EQ(FormatKilobytes(500), "0.50 KB");
    EXPECT_EQ(FormatKilobytes(0), "0.00 KB");
    EXPECT_EQ(FormatKilobytes(999995), "1,000.00 KB");
    EXPECT_EQ(FormatKilobytes(4294967296ull), "4,294,967.30 KB");
    EXPECT_EQ(FormatMegabytes(1572864), "1.50 MB");
    EXPECT_EQ(FormatMegabytes(0), "0.00 MB");
    EXPECT_EQ(Megabytes(1048576), "1.00");
    EXPECT_EQ(FormatSpeed(8), "8.0x");
    EXPECT_EQ(FormatSpeed(2.4), "2.4x");
    EXPECT_EQ(FormatSpeed(0.5), ".5x");
    EXPECT_EQ(VerifyPercent(1, 3), 33);
    EXPECT_EQ(VerifyPercent(1, 8), 12);  // 12.5: halves go to even
    EXPECT_EQ(VerifyPercent(3, 8), 38);  // 37.5
    EXPECT_EQ(VerifyPercent(2, 3), 67);
    EXPECT_EQ(VerifyPercent(8, 8), 100);
    EXPECT_EQ(VerifyPercent(0, 0), 100);  // nothing to verify: no division by zero
}

TEST(DiscFormatsTest, DatesAndPaths) {
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(FormatItemDate(1709845502), "03/07/2024 09:05:02 PM");
    EXPECT_EQ(FormatItemDate(1704067200), "01/01/2024 12:00:00 AM");
    EXPECT_EQ(FormatItemDate(1704110400), "01/01/2024 12:00:00 PM");
    if (oldTz) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
    tzset();

    EXPECT_EQ(LastPathPart("C:\\Data\\Mail"), "Mail");
    EXPECT_EQ(LastPathPart("/home/u/Mail"), "Mail");
    EXPECT_EQ(LastPathPart("a.qmk"), "a.qmk");
    EXPECT_EQ(FirstCharacters("äöü", 2), "äö");
}

}  // namespace
}  // namespace qm::test
