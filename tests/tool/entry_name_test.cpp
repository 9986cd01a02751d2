#include "entry_name.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    std::string name;
    const char* problem;  // "" when the name is accepted, else a part of the refusal
};

class NewEntryNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(NewEntryNameTest, AcceptsOrNamesTheProblem) {
    const std::string problem = ProblemWithNewName(GetParam().name);
    if (*GetParam().problem == '\0') {
        EXPECT_EQ(problem, "");
    } else {
        EXPECT_NE(problem.find(GetParam().problem), std::string::npos) << problem;
    }
}

const NameCase NAME_CASES[] = {
    {"readme.txt", ""},
    {"data\\x.pak", ""},
    {"a\\b\\c\\d.e", ""},
    {"fifteen.chars.x", ""},               // the longest that fits beside the NUL
    {"\x83\x5C\x83\x74\x83\x67.dat", ""},  // Shift_JIS, trail bytes 0x5C included
    {"", "is empty"},
    {"sixteen.chars.xx", "16 bytes long; at most 15"},
    {"..\\x.dat", "\"..\" component"},
    {"data\\..\\..\\x", "\"..\" component"},
    {".\\x", "\".\" component"},
    {"a\\. .\\b", "only dots and spaces"},
    {"\\x.dat", "absolute"},
    {"/x.dat", "absolute"},
    {"C:x.dat", "colon"},
    {"x.dat:stream", "colon"},
    {"data\\\\x", "empty folder component"},
    {"data\\", "empty folder component"},
    {"x?.dat", "'?'"},
    {"a\tb", "control character"},
    {std::string("a\0b", 3), "NUL byte"},
    {"data\\\x95\x5C", "double-byte character ending in the byte 0x5C at byte 6"},  // "表"
    {"a.", "ends with a dot or a space"},
    {"data\\nul.txt", "takes for a device"},
    {"UNINST.TMP", "new uninstall list"},
};

INSTANTIATE_TEST_SUITE_P(Names, NewEntryNameTest, testing::ValuesIn(NAME_CASES));

TEST(NewEntryNameTest, RefusalAgreesWithTheUpdaterForEveryShortName) {
    // Whatever the wording, the tool refuses exactly what IsSafeEntryName refuses.
    const std::string alphabet = "a.\\/: ?\x81";
    for (size_t length = 1; length <= 4; ++length) {
        std::string name(length, 'a');
        size_t combinations = 1;
        for (size_t i = 0; i < length; ++i) combinations *= alphabet.size();
        for (size_t n = 0; n < combinations; ++n) {
            size_t rest = n;
            for (size_t i = 0; i < length; ++i, rest /= alphabet.size()) {
                name[i] = alphabet[rest % alphabet.size()];
            }
            char field[PACKAGE_NAME_FIELD_SIZE];
            FillNameField(name, field);
            EXPECT_EQ(ProblemWithNewName(name).empty(), IsSafeEntryName(field)) << name;
        }
    }
}

TEST(SameEntryNameTest, IgnoresAsciiCaseAndTheKindOfSeparator) {
    EXPECT_TRUE(SameEntryName("Data\\X.PAK", "data\\x.pak"));
    EXPECT_TRUE(SameEntryName("data/x.pak", "data\\x.pak"));
    EXPECT_FALSE(SameEntryName("data\\x.pak", "data\\x.pa"));
    EXPECT_FALSE(SameEntryName("a.dat", "b.dat"));
    EXPECT_FALSE(SameEntryName("\xE0.dat", "\xC0.dat"));  // no case outside ASCII
    // Shift_JIS: the second byte of a double-byte character is neither a letter nor a separator.
    EXPECT_FALSE(SameEntryName("\x83\x41.dat", "\x83\x61.dat"));
    EXPECT_FALSE(SameEntryName("\x83\x5C.dat", "\x83/.dat"));
    EXPECT_TRUE(SameEntryName("\x83\x41\\A.dat", "\x83\x41/a.dat"));
}

TEST(IsFolderOfTest, FindsANameUsedAsAFolderByAnother) {
    EXPECT_TRUE(IsFolderOf("data", "data\\x.pak"));
    EXPECT_TRUE(IsFolderOf("DATA", "data/sub\\x"));
    EXPECT_TRUE(IsFolderOf("data\\sub", "data/SUB\\x"));
    EXPECT_FALSE(IsFolderOf("data", "database\\x"));
    EXPECT_FALSE(IsFolderOf("data\\x.pak", "data"));
    EXPECT_FALSE(IsFolderOf("\x83", "\x83\x5Cx"));  // a double-byte character, no folder
}

TEST(FindNameSeparatorTest, SkipsTheSecondByteOfADoubleByteCharacter) {
    EXPECT_EQ(FindNameSeparator("\x83\x5C\x83\x74\\x", 0), 4u);
    EXPECT_EQ(FindNameSeparator("a/b\\c", 2), 3u);
    EXPECT_EQ(FindNameSeparator("\x83\x5C", 0), std::string::npos);
}

TEST(QuotedNameTest, ShowsBytesOutsidePrintableAsciiAsHex) {
    EXPECT_EQ(QuotedName("data\\x.pak"), "\"data\\x.pak\"");
    EXPECT_EQ(QuotedName("\x83\x5C\n"), "\"\\x83\\\\x0A\"");
}

TEST(NameInFieldTest, StopsAtTheFirstNulOrTheFieldsEnd) {
    const char padded[PACKAGE_NAME_FIELD_SIZE] = "ab\0cd";
    EXPECT_EQ(NameInField(padded), "ab");
    char full[PACKAGE_NAME_FIELD_SIZE];
    memset(full, 'x', sizeof full);
    EXPECT_EQ(NameInField(full), std::string(16, 'x'));
}

}  // namespace
