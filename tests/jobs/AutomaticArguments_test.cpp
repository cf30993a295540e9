#include "jobs/AutomaticArguments.h"

#include <gtest/gtest.h>

#include <optional>

namespace qm::test {
namespace {

using jobs::AutomaticSettings;

std::optional<AutomaticSettings> parsed(const std::string& line, std::string* why = nullptr) {
    AutomaticSettings settings;
    std::string reason;
    const bool ok = jobs::ParseCommandLine(line, settings, reason);
    if (why) *why = ok ? std::string() : reason;
    return ok ? std::optional<AutomaticSettings>(settings) : std::nullopt;
}

void expectSettings(const std::string& line, const AutomaticSettings& want) {
    auto got = parsed(line);
    ASSERT_TRUE(got) << line;
    EXPECT_EQ(got->profile, want.profile) << line;
    EXPECT_EQ(got->selection, want.selection) << line;
    EXPECT_EQ(got->password, want.password) << line;
    EXPECT_EQ(got->archivePath, want.archivePath) << line;
}

TEST(CommandLine, PiecesArePositional) {
    expectSettings("sf=Outlookxm=10000000ps=bf=C:\\b.qmk", {"Outlook", "10000000", "", "C:\\b.qmk"});
    expectSettings("sf=My Mailxm=11111111ps=s3cretbf=Z:\\home\\u\\b.qmk",
                   {"My Mail", "11111111", "s3cret", "Z:\\home\\u\\b.qmk"});
    // Key names are never compared, only their places count.
    expectSettings("aa=Outlookbb=1cc=pwdd=C:\\b.qmk", {"Outlook", "1", "pw", "C:\\b.qmk"});
    // A value shorter than two characters keeps its own characters.
    expectSettings("sf=Pxm=1ps=xbf=C:\\b", {"P", "1", "x", "C:\\b"});
}

TEST(CommandLine, AValueHoldingEqualsIsRefusedNotShifted) {
    // Read by position, these would back up into the file "b" without the
    // password, or into "C:"; nothing runs instead, and the reason says why.
    for (const char* line : {"sf=Outlookxm=10000000ps=a=bbf=C:\\b.qmk", "sf=Outlookxm=1ps=bf=C:\\a=b.qmk",
                             "sf=Out=lookxm=1ps=bf=C:\\b.qmk", "sf=Outlookxm=1ps=bf=C:\\b.qmk="}) {
        std::string why;
        EXPECT_FALSE(parsed(line, &why)) << line;
        EXPECT_EQ(why, jobs::kCommandLineHasEquals) << line;
        EXPECT_NE(why.find("may contain \"=\""), std::string::npos);
    }
    std::string why = "stale";
    EXPECT_FALSE(parsed("sf=Outlookxm=1ps=", &why));
    EXPECT_EQ(why, jobs::kCommandLineIncomplete);
    EXPECT_FALSE(parsed("sf=xm=1ps=bf=C:\\b.qmk", &why));
    EXPECT_EQ(why, jobs::kCommandLineEmptyValue);
    EXPECT_TRUE(parsed("sf=Outlookxm=1ps=bf=C:\\b.qmk", &why));
    EXPECT_EQ(why, "");
}

TEST(CommandLine, NothingRunsWithoutTheRequiredValues) {
    for (const char* line : {"", "/auto", "sf=Outlook", "sf=Outlookxm=1ps=", "sf=xm=1ps=bf=C:\\b.qmk",
                             "sf=Outlookxm=ps=bf=C:\\b.qmk", "sf=Outlookxm=1ps=pbf=",
                             // "=" in the profile: six pieces.
                             "sf=A=Bxm=1ps=bf=C:\\b.qmk", "s=O=x=p=", "===="})
        EXPECT_FALSE(parsed(line)) << line;
}

TEST(CommandLine, TheTextAJobCarriesReadsBackAsItWasWritten) {
    const AutomaticSettings written{"My Mail", "10100000", "s3cret", "D:\\Bk\\mail.qmk"};
    const std::string text = jobs::ArgumentText(written);
    EXPECT_EQ(text, "sf=My Mailxm=10100000ps=s3cretbf=D:\\Bk\\mail.qmk");
    expectSettings(text, written);
    expectSettings(jobs::ArgumentText({"P", "1", "", "t"}), {"P", "1", "", "t"});
}

}  // namespace
}  // namespace qm::test
