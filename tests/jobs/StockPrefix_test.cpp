// Samples laid out as wineboot makes a prefix: no compatibility folders, the
// prefix's own code page (Windows-1252, 1251, 932), a 32-bit Outlook in a
// 64-bit prefix. Everything the program backs up on its own sample it backs
// up here, and names in the prefix's code page come back as they were.
#include <filesystem>
#include <set>

#include "app/Environment.h"
#include "base/WinPath.h"
#include "jobs/ItemsFixture.h"
#include "jobs/RestoreJob.h"
#include "jobs/RestoreRequest.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

sample::SampleOptions stock(const std::string& codePage, const std::string& user, const std::string& outlook,
                            const std::string& second) {
    auto o = sampleOptions(user, outlook, second);
    o.stock = true;
    o.codePage = codePage;
    return o;
}

bool present(const std::string& host) { return fs::exists(fs::symlink_status(host)); }

TEST(StockPrefix, LaidOutAsWinebootDoesAndEveryItemIsFound) {
    for (const char* outlook : {"11.0", "14.0"}) {
        Installation in(stock("1252", "alice", outlook, "Work"), Backend::WinePrefix);
        ASSERT_TRUE(in.ok()) << in.error;
        const std::string home = in.prefix + "/drive_c/users/alice";
        for (const char* missing :
             {"/Application Data", "/Local Settings", "/My Documents", "/AppData/Local/Application Data"})
            EXPECT_FALSE(present(home + missing)) << missing;
        EXPECT_FALSE(present(in.prefix + "/dosdevices/d:"));
        const std::string system = readHostFile(in.prefix + "/system.reg");
        EXPECT_NE(system.find("#arch=win64"), std::string::npos);
        EXPECT_NE(system.find("[Software\\\\Wow6432Node\\\\Microsoft\\\\Shared Tools]"), std::string::npos);
        EXPECT_EQ(system.find("[Software\\\\Microsoft\\\\Shared Tools]"), std::string::npos);

        // Windows 10 is told 6.2: the older folder names, all through junctions.
        const auto& st = in.s().state;
        EXPECT_EQ(st.WindowsVersion, "6.2");
        EXPECT_EQ(st.OutlookVersion, outlook);
        EXPECT_EQ(st.SignaturesFolder, "C:\\users\\alice\\Application Data\\Microsoft\\Signatures");
        const bool v14 = std::string(outlook) == "14.0";
        EXPECT_EQ(st.StationeryFolder, v14 ? "C:\\Program Files (x86)\\Common Files\\Microsoft Shared\\Stationery"
                                           : "C:\\users\\alice\\Application Data\\Microsoft\\Stationery");
        EXPECT_EQ(in.availablePattern(), v14 ? "11110111" : "11111111") << outlook;
        EXPECT_EQ(in.backupAll("Work", in.dir / "b.qmk"), v14 ? "1111110111" : "1111111111") << outlook;
        // A backup changes nothing of the prefix.
        for (const char* missing : {"/Application Data", "/Local Settings", "/My Documents"})
            EXPECT_FALSE(present(home + missing)) << missing;
    }
}

struct Names {
    const char* codePage;
    const char* source;  // user, and the profile and data file of the same name
    const char* target;  // user and profile restored into
};

class NamesOfTheCodePage : public ::testing::TestWithParam<Names> {};

TEST_P(NamesOfTheCodePage, BackUpAndRestoreIntact) {
    const Names n = GetParam();
    platform::CodePage cp;
    ASSERT_TRUE(cp.select(n.codePage));
    const std::string from = cp.fromUtf8(n.source), to = cp.fromUtf8(n.target);
    Installation a(stock(n.codePage, from, "11.0", from), Backend::WinePrefix);
    Installation b(stock(n.codePage, to, "11.0", to), Backend::WinePrefix);
    ASSERT_TRUE(a.ok()) << a.error;
    ASSERT_TRUE(b.ok()) << b.error;
    EXPECT_EQ(a.s().codePage.name(), n.codePage);
    ASSERT_EQ(a.s().state.ProfileNames, (std::vector<std::string>{"Outlook", from}));
    const auto& src = a.profile(1);
    ASSERT_EQ(base::bareName(src.dataFiles[0], cp.leadBytes()), from + ".pst");

    const std::string archive = a.dir / "b.qmk";
    EXPECT_EQ(a.backupAll(from, archive), "1111111111");
    std::set<std::string> entries;
    for (const auto& e : archiveEntries(archive)) entries.insert(e);
    for (const std::string& name :
         {std::string(n.source) + ".pst", std::string(n.source) + ".RWZ", std::string(n.source) + ".htm"})
        EXPECT_TRUE(entries.count(name)) << name;

    ASSERT_TRUE(b.openBackup(archive));
    jobs::RestoreRequest request;
    request.items.fill(true);
    request.targetProfile = [&] { return to; };
    jobs::JobEvents quiet;
    const jobs::RestoreReport report = jobs::RunRestoreJob(b.s(), b.openedBackup(), request, quiet);
    for (const auto& part : report.parts) EXPECT_TRUE(!part.ran || part.ok);

    // The data file, by the name and path the restored profile gives it,
    // readable under that path in the prefix as Wine would open it.
    const std::string restored =
        "C:\\users\\" + to + "\\Local Settings\\Application Data\\Microsoft\\Outlook\\" + from + ".pst";
    const std::string key = b.profile(1).key;
    std::set<std::string> paths;
    for (const auto& section : b.s().reg.EnumSubKeys(key)) {
        const std::string p = b.s().reg.ReadPathFromBinaryValue(key + "\\" + section, "01020fff");
        if (p != "Error") paths.insert(p);
    }
    EXPECT_TRUE(paths.count(restored)) << cp.toUtf8(restored);
    const std::string home = b.prefix + "/drive_c/users/" + n.target;
    EXPECT_EQ(readHostFile(home + "/Local Settings/Application Data/Microsoft/Outlook/" + n.source + ".pst"),
              a.readFile(src.dataFiles[0]));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(home + "/Local Settings")));
    EXPECT_EQ(readHostFile(home + "/AppData/Roaming/Microsoft/Outlook/" + n.target + ".RWZ"),
              a.readFile(src.rulesFile));
    EXPECT_TRUE(present(home + "/AppData/Roaming/Microsoft/Signatures/" + n.source + ".htm"));
    EXPECT_TRUE(present(home + "/AppData/Roaming/Microsoft/Stationery/Memo.htm"));
    // Written through "Application Data": made as Windows has it, a link.
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(home + "/Application Data")));
}

INSTANTIATE_TEST_SUITE_P(CodePages, NamesOfTheCodePage,
                         ::testing::Values(Names{"1251", "Иван", "Работа"}, Names{"932", "予定表", "ソフト表"}),
                         [](const auto& test) { return "CodePage" + std::string(test.param.codePage); });

}  // namespace
}  // namespace qm::test
