#include "contract/RegistryFixture.h"

namespace qm::test {
namespace {

using namespace qm::platform;
using registry::ModReg;

class BinaryPathsTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        kSection = key("Software\\Profiles\\P\\0123");
    }
    std::string kSection;
};

std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// An entry identifier: a binary header, the path, a terminator.
std::string entryId(const std::string& pathBytes, const std::string& terminator) {
    return std::string("\0\0\0\0\x38\xa1\xbb\x10\x05\xe5\x10\x1a\0\0", 14) + pathBytes + terminator;
}

TEST_F(BinaryPathsTest, HexFormsOfText) {
    EXPECT_EQ(reg->TextToUnicodeHex("AB"), "41=0=42=0=");
    EXPECT_EQ(ModReg::TextToAnsiHex("AB"), "41=42=");
    EXPECT_EQ(reg->TextToUnicodeHex(":\\"), "3A=0=5C=0=");
    // Windows-1252 0x80 is the euro sign, U+20AC: its UTF-16 bytes.
    EXPECT_EQ(reg->TextToUnicodeHex("\x80"), "AC=20=");
    EXPECT_EQ(ModReg::TextToAnsiHex("\x80"), "80=");
}

TEST_F(BinaryPathsTest, PathsReadFromUtf16AndAnsiValues) {
    setValue(kSection, "01020fff", RegType::Binary, entryId(utf16("C:\\Mail\\a.pst"), std::string(2, '\0')));
    setValue(kSection, "ansi", RegType::Binary, entryId("C:\\Mail\\a.pst", std::string(1, '\0')));
    setValue(kSection, "unc", RegType::Binary, entryId(utf16("\\\\server\\share\\a.pst"), std::string(2, '\0')));
    setValue(kSection, "front", RegType::Binary, utf16("C:\\front.pst") + std::string(2, '\0'));
    setValue(kSection, "server", RegType::Binary, entryId(utf16("/o=Org/cn=Mailbox"), std::string(2, '\0')));
    setValue(kSection, "string", RegType::Sz, std::string("C:\\x\\y.pst\0", 11));

    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection, "01020fff"), "C:\\Mail\\a.pst");
    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection, "ansi"), "Error");
    EXPECT_EQ(reg->ReadAnsiPathFromBinaryValue(kSection, "ansi"), "C:\\Mail\\a.pst");
    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection, "unc"), "\\\\server\\share\\a.pst");
    // ":\" at position 2: nothing stands before the drive letter.
    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection, "front"), "Error");
    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection, "server"), "Error");
    EXPECT_EQ(reg->ReadAnsiPathFromBinaryValue(kSection, "server"), "Error");
    // Only REG_BINARY values with exactly this name count.
    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection, "string"), "Error");
    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection, "01020FFF"), "Error");
    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection + "\\Missing", "01020fff"), "Error");

    // The ANSI reading's temporary file does not stay behind.
    std::vector<std::string> left;
    platform.files->listFiles(work, left);
    EXPECT_TRUE(left.empty());
}

TEST_F(BinaryPathsTest, NonAsciiPathsDecodeIntoTheCodePage) {
    // "C:\Café\a.pst" in UTF-16 reads back as Windows-1252 text.
    std::string path16 = utf16("C:\\Caf") + std::string("\xe9\0", 2) + utf16("\\a.pst");
    setValue(kSection, "01020fff", RegType::Binary, entryId(path16, std::string(2, '\0')));
    EXPECT_EQ(reg->ReadPathFromBinaryValue(kSection, "01020fff"), "C:\\Caf\xe9\\a.pst");
}

TEST_F(BinaryPathsTest, ReplacementRewritesOnlyTheUtf16OccurrenceAndChangesLength) {
    // The same path once in UTF-16 and once in ANSI inside one value.
    std::string both = entryId(utf16("C:\\Old\\a.pst"), std::string(2, '\0')) + "C:\\Old\\a.pst" + std::string(1, '\0');
    setValue(kSection, "01020fff", RegType::Binary, both);
    reg->ReplaceInBinaryValue(kSection, "01020fff", "C:\\Old\\a.pst", "D:\\Newer\\b.pst");
    RegType type = RegType::None;
    std::string bytes;
    ASSERT_TRUE(getValue(kSection, "01020fff", type, bytes));
    EXPECT_EQ(type, RegType::Binary);
    std::string expected =
        entryId(utf16("D:\\Newer\\b.pst"), std::string(2, '\0')) + "C:\\Old\\a.pst" + std::string(1, '\0');
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.size(), both.size() + 4);  // two characters longer, two bytes each

    // Only ANSI: the ANSI form is used.
    setValue(kSection, "ansi", RegType::Binary, entryId("C:\\Old\\a.pst", std::string(1, '\0')));
    reg->ReplaceInBinaryValue(kSection, "ansi", "C:\\Old\\a.pst", "E:\\b.pst");
    ASSERT_TRUE(getValue(kSection, "ansi", type, bytes));
    EXPECT_EQ(bytes, entryId("E:\\b.pst", std::string(1, '\0')));

    // A text found nowhere rewrites the value unchanged; so does a path at
    // the very end of the value, with no byte after it.
    std::string tail = entryId(utf16("C:\\Old\\a.pst"), "");
    setValue(kSection, "tail", RegType::Binary, tail);
    reg->ReplaceInBinaryValue(kSection, "tail", "C:\\Nowhere.pst", "C:\\x.pst");
    reg->ReplaceInBinaryValue(kSection, "tail", "C:\\Old\\a.pst", "C:\\x.pst");
    ASSERT_TRUE(getValue(kSection, "tail", type, bytes));
    EXPECT_EQ(bytes, tail);
}

TEST_F(BinaryPathsTest, ReplacementMatchesWholeBytesOnly) {
    // 0x41 0x01 ... must not be read as the tail of a token: "\x01" + "A"
    // stored as 01 00 41 00 is replaced, 11 00 41 00 is not touched.
    setValue(kSection, "v", RegType::Binary, std::string("\x11\0A\0\0\0", 6));
    reg->ReplaceInBinaryValue(kSection, "v", std::string("\x01" "A", 2), "Z");
    RegType type = RegType::None;
    std::string bytes;
    ASSERT_TRUE(getValue(kSection, "v", type, bytes));
    EXPECT_EQ(bytes, std::string("\x11\0A\0\0\0", 6));
}

}  // namespace
}  // namespace qm::test
