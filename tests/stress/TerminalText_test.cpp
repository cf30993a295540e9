// A backup file whose values and names carry terminal escapes: the listing
// and the restore show them as text, never as commands to the terminal.
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

class TerminalText : public StressTest {};

TEST_F(TerminalText, EscapesInAnInformationFileAreShownNotObeyed) {
    const std::string file = out + "/escapes.qmk";
    // Windows-1252 bytes: 0x1B ESC, 0x07 BEL, 0x9B becomes U+203A (not a
    // control there), 0x81 has no character and stays U+0081.
    const std::string info = "BackupComputer=\x1b]0;owned\x07HOST\r\nBackupIdentity=Outlook\r\n"
                             "BackupInformation=line\x1b[2Jone\x81PS$QMKtwo\r\nBackupItem=0000100000\r\n"
                             "BackupSignatures=s\x1b[8m.htm\r\n";
    ASSERT_TRUE(writeZip(file, {{"s\x1b[8m.htm", "x"}, {"quillmark.dat", info}}));
    Ran ran = run("--list " + shq(file));
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_NE(ran.out.find("BackupComputer=^[]0;owned^GHOST"), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("line^[[2JoneM-^A"), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("s^[[8m.htm"), std::string::npos) << ran.out;
    ran = run("--restore " + shq(file) + " --profile Outlook --yes");
    for (const std::string& text : {ran.out, ran.err}) {
        EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
        EXPECT_EQ(text.find('\x07'), std::string::npos) << text;
        EXPECT_EQ(text.find("\xc2\x81"), std::string::npos) << text;
    }
    EXPECT_NE(ran.out.find("^[[2J"), std::string::npos) << ran.out;
}

}  // namespace
}  // namespace qm::test
