// What the windows and the console both say of a run: the parts that
// failed, named with their reasons, and a report's columns for a window to
// line up.
#include <gtest/gtest.h>

#include "frontend/Summaries.h"

namespace qm::test {
namespace {

using Parts = std::array<jobs::PartResult, items::kPartCount>;

TEST(FrontendTexts, EveryFailedPartIsNamedWithItsReason) {
    Parts parts{};
    parts[0] = {true, true, ""};                            // configuration
    parts[2] = {true, false, ""};                           // rules: no line of its own
    parts[4] = {true, false, "alice.htm: cannot be read"};  // signatures
    parts[6] = {true, false, ""};                           // address book
    parts[7] = {false, false, ""};                          // not asked for
    EXPECT_EQ(frontend::FailedPartTexts(parts, true),
              (std::vector<std::string>{"failed: the rules could not be backed up",
                                        "failed: the signatures could not be backed up: alice.htm: cannot be read",
                                        "failed: the personal address book could not be backed up"}));
    // What the installation holds explains a part that found nothing.
    items::ItemAvailability available{};
    available.enabled.fill(true);
    available.enabled[4] = false;
    available.noAddressBook = true;
    EXPECT_EQ(frontend::FailedPartTexts(parts, true, &available).back(),
              "failed: the personal address book could not be backed up: Your MS Outlook don't support Personal "
              "Address Book!");
    EXPECT_EQ(frontend::FailedPartTexts(parts, false)[0], "failed: the rules could not be restored");
}

TEST(FrontendTexts, AReportsColumnsForAWindowToLineUp) {
    const std::string report =
        "The Backup was Completed!\t\t\t\r\n"
        "\r\nBackup Personal Folders\t\tsucceeded!\t"
        "\r\nBackup Accounts Settings\tsucceeded!\t"
        "\r\nBackup Personal Address Book\t\tFail!\t\r\n\r\nwarning: x.pst: damaged";
    const auto rows = frontend::TextColumns(report);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0], std::vector<std::string>{"The Backup was Completed!"});
    EXPECT_TRUE(rows[1].empty());
    EXPECT_EQ(rows[2], (std::vector<std::string>{"Backup Personal Folders", "succeeded!"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"Backup Accounts Settings", "succeeded!"}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"Backup Personal Address Book", "Fail!"}));
    EXPECT_TRUE(rows[5].empty());
    EXPECT_EQ(rows[6], std::vector<std::string>{"warning: x.pst: damaged"});
    EXPECT_EQ(frontend::TextColumns("\tindented"), (std::vector<std::vector<std::string>>{{"", "indented"}}));
}

}  // namespace
}  // namespace qm::test
