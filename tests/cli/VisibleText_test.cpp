// Text the console prints comes from backup files and installations: no
// control character in it reaches the terminal as itself.
#include <gtest/gtest.h>

#include "cli/Output.h"

namespace qm::test {
namespace {

TEST(VisibleText, ControlCharactersAreShownAsCatShowsThem) {
    EXPECT_EQ(cli::visible("a\x1b[31mred\x07\x7f"), "a^[[31mred^G^?");
    // U+009B, the one-character ESC [ of some terminals, and U+0085.
    EXPECT_EQ(cli::visible("x\xc2\x9b" "2Jy\xc2\x85"), "xM-^[2JyM-^E");
    // Tabs and line feeds stay; a line that must stay one shows its feeds.
    EXPECT_EQ(cli::visible("a\tb\nc"), "a\tb\nc");
    EXPECT_EQ(cli::visible("a\nb\rc", true), "a^Jb^Mc");
    // Other characters, accented ones included, pass unchanged.
    EXPECT_EQ(cli::visible("caf\xc3\xa9 \xe2\x82\xac \xc2\xa0"), "caf\xc3\xa9 \xe2\x82\xac \xc2\xa0");
}

}  // namespace
}  // namespace qm::test
