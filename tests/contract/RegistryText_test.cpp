#include "contract/RegistryFixture.h"

namespace qm::test {
namespace {

using namespace qm::platform;

std::string dword(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

class RegistryTextTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        kDemo = key("Software\\Demo");
        kCopy = key("Software\\Copy");
    }
    void makeWorkedExample() {
        setValue(kDemo, "Path", RegType::Sz, std::string("C:\\Data\0", 8));
        setValue(kDemo, "Count", RegType::Dword, dword(3));
        setValue(kDemo, "Flags", RegType::Binary, std::string("\x01\x00\xff", 3));
        setValue(kDemo + "\\Sub", "Dir", RegType::ExpandSz, std::string("%TEMP%\\x\0", 9));
        setValue(kDemo + "\\Sub", "Mode", RegType::Dword, dword(0xFFFFFFFF));
    }
    std::string value(const std::string& path, const std::string& name, RegType expectedType) {
        RegType type = RegType::None;
        std::string bytes;
        EXPECT_TRUE(getValue(path, name, type, bytes)) << path << " " << name;
        EXPECT_EQ(type, expectedType) << name;
        return bytes;
    }

    std::string kDemo;
    std::string kCopy;
};

TEST_F(RegistryTextTest, WorkedExampleExportsByteForByteAndImportsElsewhere) {
    makeWorkedExample();
    // The registry lists values in its own (sorted) order, so compare as a set
    // of lines within each block, and the whole file for the exact bytes.
    reg->ExportKey(kDemo, "", workFile("demo.txt"));
    EXPECT_EQ(fileBytes("demo.txt"),
              "\\\r\n"
              "\"Count\"= dw:3\r\n"
              "\"Flags\"=bin:1,0,255\r\n"
              "\"Path\"= sz:C:\\Data\r\n"
              "\\Sub\r\n"
              "\"Dir\"=esz:%TEMP%\\x\r\n"
              "\"Mode\"= dw:-1\r\n");

    setValue(kCopy, "Old", RegType::Sz, std::string("gone\0", 5));
    setValue(kCopy + "\\OldSub\\Deep", "x", RegType::Dword, dword(1));
    ASSERT_TRUE(reg->ImportKey(kCopy, workFile("demo.txt")));
    EXPECT_EQ(reg->GetStringValue(kCopy, "Old"), "Error");
    EXPECT_FALSE(reg->KeyExists(kCopy + "\\OldSub"));
    // Imported strings carry their terminator, as Windows stores them.
    EXPECT_EQ(value(kCopy, "Path", RegType::Sz), std::string("C:\\Data\0", 8));
    EXPECT_EQ(value(kCopy, "Count", RegType::Dword), dword(3));
    EXPECT_EQ(value(kCopy, "Flags", RegType::Binary), std::string("\x01\x00\xff", 3));
    EXPECT_EQ(value(kCopy + "\\Sub", "Dir", RegType::ExpandSz), std::string("%TEMP%\\x\0", 9));
    EXPECT_EQ(value(kCopy + "\\Sub", "Mode", RegType::Dword), dword(0xFFFFFFFF));

    // Exporting the copy gives the same file: nothing is lost in a round trip.
    reg->ExportKey(kCopy, "", workFile("copy.txt"));
    EXPECT_EQ(fileBytes("copy.txt"), fileBytes("demo.txt"));
    // A second export replaces the file rather than appending to it.
    reg->ExportKey(kCopy, "", workFile("copy.txt"));
    EXPECT_EQ(fileBytes("copy.txt"), fileBytes("demo.txt"));

    // The same seven lines in the order the values were listed import to the
    // same tree.
    writeFileBytes("listed.txt",
                   "\\\r\n\"Path\"= sz:C:\\Data\r\n\"Count\"= dw:3\r\n\"Flags\"=bin:1,0,255\r\n"
                   "\\Sub\r\n\"Dir\"=esz:%TEMP%\\x\r\n\"Mode\"= dw:-1\r\n");
    ASSERT_TRUE(reg->ImportKey(kCopy, workFile("listed.txt")));
    reg->ExportKey(kCopy, "", workFile("copy.txt"));
    EXPECT_EQ(fileBytes("copy.txt"), fileBytes("demo.txt"));
}

TEST_F(RegistryTextTest, EdgeValuesSurviveExportAndImport) {
    setValue(kDemo, "", RegType::Sz, std::string("default\0", 8));
    setValue(kDemo, "EmptyBin", RegType::Binary, "");
    setValue(kDemo, "EmptyStr", RegType::Sz, std::string("\0", 1));
    setValue(kDemo, "Low", RegType::Dword, dword(0x80000000));
    setValue(kDemo, "Multi", RegType::MultiSz, std::string("a\0b\0\0", 5));
    setValue(kDemo + "\\Nothing", "", RegType::None, "");
    reg->DeleteValue(kDemo + "\\Nothing", "");

    reg->ExportKey(kDemo, "", workFile("edge.txt"));
    std::string text = fileBytes("edge.txt");
    EXPECT_EQ(text.find("\"\"= sz:default\r\n"), 3u) << text;  // default value first, empty name
    EXPECT_NE(text.find("\"EmptyBin\"=bin:\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"EmptyStr\"= sz:\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Low\"= dw:-2147483648\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Multi"), std::string::npos);
    EXPECT_NE(text.find("\\Nothing\r\n"), std::string::npos);

    ASSERT_TRUE(reg->ImportKey(kCopy, workFile("edge.txt")));
    EXPECT_EQ(value(kCopy, "", RegType::Sz), std::string("default\0", 8));
    EXPECT_EQ(value(kCopy, "EmptyBin", RegType::Binary), "");
    EXPECT_EQ(value(kCopy, "EmptyStr", RegType::Sz), "");
    EXPECT_EQ(value(kCopy, "Low", RegType::Dword), dword(0x80000000));
    RegType type;
    std::string bytes;
    EXPECT_FALSE(getValue(kCopy, "Multi", type, bytes));
    EXPECT_TRUE(reg->KeyExists(kCopy + "\\Nothing"));
}

TEST_F(RegistryTextTest, AKeyWithNothingInItIsOneHeaderLine) {
    setValue(kDemo + "\\Empty", "x", RegType::Dword, dword(1));
    reg->DeleteValue(kDemo + "\\Empty", "x");
    reg->ExportKey(kDemo + "\\Empty", "", workFile("empty.txt"));
    EXPECT_EQ(fileBytes("empty.txt"), "\\\r\n");

    setValue(kCopy + "\\Child", "x", RegType::Dword, dword(1));
    ASSERT_TRUE(reg->ImportKey(kCopy, workFile("empty.txt")));
    EXPECT_TRUE(reg->KeyExists(kCopy));
    EXPECT_TRUE(reg->EnumSubKeys(kCopy).empty());
}

TEST_F(RegistryTextTest, MalformedFilesLeaveTheTargetAsItWas) {
    makeWorkedExample();
    reg->ExportKey(kDemo, "", workFile("before.txt"));
    const std::string good = "\\\r\n\"A\"= sz:x\r\n\\Sub\r\n";
    for (const std::string& bad : {good + "\"B\"= dw:twelve\r\n", good + "\"B\"=bin:1,300,2\r\n",
                                   good + "no equals sign here\r\n", good + "\r\n\"B\"= sz:y\r\n",
                                   good + "\"B\"= dw:4294967296\r\n"}) {
        writeFileBytes("bad.txt", bad);
        EXPECT_FALSE(reg->ImportKey(kDemo, workFile("bad.txt"))) << bad;
        reg->ExportKey(kDemo, "", workFile("after.txt"));
        EXPECT_EQ(fileBytes("after.txt"), fileBytes("before.txt")) << bad;
    }
    EXPECT_FALSE(reg->ImportKey(kDemo, workFile("missing.txt")));
    EXPECT_TRUE(reg->KeyExists(kDemo + "\\Sub"));
}

// Found by fuzzing: lines the check let through whose writes then failed,
// after the top header had already deleted the tree being replaced: a value
// before any key, an empty key name, one longer than Windows allows, names
// holding a zero.
TEST_F(RegistryTextTest, NamesNoRegistryHoldsAreRefusedBeforeAnythingChanges) {
    makeWorkedExample();
    reg->ExportKey(kDemo, "", workFile("before.txt"));
    const std::string good = "\\\r\n\"A\"= sz:x\r\n";
    const std::string zero(1, '\0');
    for (const std::string& bad : {"\"B\"= sz:y\r\n" + good, good + "\\Sub\\\\Empty\r\n", good + "\\" + std::string(256, 'k') + "\r\n",
                                   good + "\\S" + zero + "ub\r\n", good + "\"B" + zero + "C\"= sz:y\r\n"}) {
        writeFileBytes("bad.txt", bad);
        EXPECT_FALSE(reg->ImportKey(kDemo, workFile("bad.txt"))) << bad;
        reg->ExportKey(kDemo, "", workFile("after.txt"));
        EXPECT_EQ(fileBytes("after.txt"), fileBytes("before.txt")) << bad;
    }
    // A long name within the bound is taken.
    writeFileBytes("long.txt", good + "\\" + std::string(200, 'k') + "\r\n");
    EXPECT_TRUE(reg->ImportKey(kCopy, workFile("long.txt")));
    EXPECT_TRUE(reg->KeyExists(kCopy + "\\" + std::string(200, 'k')));
}

// Found by fuzzing: only the last of several zeros ending a string was
// dropped, so each backup and restore cut one more.
TEST_F(RegistryTextTest, ZerosEndingAStringAreNotCarriedIntoTheText) {
    setValue(kDemo, "Padded", RegType::Sz, std::string("pop.example.org\0\0\0", 18));
    ASSERT_TRUE(reg->ExportKey(kDemo, "", workFile("first.txt")));
    EXPECT_EQ(fileBytes("first.txt"), "\\\r\n\"Padded\"= sz:pop.example.org\r\n");
    ASSERT_TRUE(reg->ImportKey(kCopy, workFile("first.txt")));
    ASSERT_TRUE(reg->ExportKey(kCopy, "", workFile("second.txt")));
    EXPECT_EQ(fileBytes("second.txt"), fileBytes("first.txt"));
}

TEST_F(RegistryTextTest, StringsHoldingLineBreaksComeBackByteForByte) {
    // Line breaks of every kind, one at each end, an empty line inside, and a
    // line that would be a bad value line on its own.
    const std::string notes = std::string("first\r\nsecond\n\r\nno equals\rstill\r\n") + '\0';
    const std::string path = std::string("\r\nC:\\x\r") + '\0';
    setValue(kDemo, "Notes", RegType::Sz, notes);
    setValue(kDemo + "\\Sub", "Path", RegType::ExpandSz, path);
    setValue(kDemo + "\\Sub", "Count", RegType::Dword, dword(7));
    ASSERT_TRUE(reg->ExportKey(kDemo, "", workFile("breaks.txt")));
    ASSERT_TRUE(reg->ImportKey(kCopy, workFile("breaks.txt")));
    EXPECT_EQ(value(kCopy, "Notes", RegType::Sz), notes);
    EXPECT_EQ(value(kCopy + "\\Sub", "Path", RegType::ExpandSz), path);
    EXPECT_EQ(value(kCopy + "\\Sub", "Count", RegType::Dword), dword(7));
    // Exported again, the file is the same.
    ASSERT_TRUE(reg->ExportKey(kCopy, "", workFile("again.txt")));
    EXPECT_EQ(fileBytes("again.txt"), fileBytes("breaks.txt"));
}

TEST_F(RegistryTextTest, ALineThatBelongsToNoStringIsRefusedBeforeAnythingChanges) {
    makeWorkedExample();
    reg->ExportKey(kDemo, "", workFile("before.txt"));
    for (const std::string& bad : {std::string("stray\r\n\\\r\n\"A\"= sz:x\r\n"),              // before any key
                                   std::string("\\\r\nstray\r\n"),                             // after a header
                                   std::string("\\\r\n\"N\"= dw:1\r\nstray\r\n"),              // after a number
                                   std::string("\\\r\n\"B\"=bin:1\r\n\r\n"),                   // after binary bytes
                                   std::string("\\\r\n\"S\"= sz:x\r\n\\Sub\r\nstray\r\n")}) {  // a key between
        writeFileBytes("bad.txt", bad);
        EXPECT_FALSE(reg->ImportKey(kDemo, workFile("bad.txt"))) << bad;
        reg->ExportKey(kDemo, "", workFile("after.txt"));
        EXPECT_EQ(fileBytes("after.txt"), fileBytes("before.txt")) << bad;
    }
}

TEST_F(RegistryTextTest, ForeignLinesAreReadAsTheFormatSays) {
    // Unknown type fields are ignored; a value name holding "=" splits there
    // and is dropped, without failing the whole import.
    writeFileBytes("foreign.txt",
                   "\\\r\n\"A\"=qwd:1\r\n\"a=b\"= sz:x\r\n\"Bin\"=bin: 7 , 8\r\n\\Sub\\Deep\r\n\"D\"= dw: -5\r\n");
    ASSERT_TRUE(reg->ImportKey(kCopy, workFile("foreign.txt")));
    EXPECT_EQ(value(kCopy, "Bin", RegType::Binary), "\x07\x08");
    EXPECT_EQ(value(kCopy + "\\Sub\\Deep", "D", RegType::Dword), dword(static_cast<std::uint32_t>(-5)));
    RegType type;
    std::string bytes;
    EXPECT_FALSE(getValue(kCopy, "A", type, bytes));
}

TEST_F(RegistryTextTest, MalformedTargetPathWritesNothing) {
    makeWorkedExample();
    reg->ExportKey(kDemo, "", workFile("demo.txt"));
    notices();
    seenNotices.clear();
    EXPECT_FALSE(reg->ImportKey(kCopy + "\\", workFile("demo.txt")));
    EXPECT_FALSE(reg->KeyExists(kCopy));
    EXPECT_FALSE(notices().empty());

    notices();
    seenNotices.clear();
    reg->ExportKey(keyUnderUser("Software\\Demo"), "", workFile("bad.txt"));
    EXPECT_EQ(fileBytes("bad.txt"), "\\\r\n");
    EXPECT_EQ(notices().size(), 2u);  // once from the values, once from the subkeys
}

}  // namespace
}  // namespace qm::test
