#include "package_format.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

struct NameCase {
    const char* field;  // up to 16 bytes, copied into a zeroed name field
    size_t length;
    bool safe;
};

class EntryNames : public testing::TestWithParam<NameCase> {};

TEST_P(EntryNames, AreJudgedByWhereTheyWouldWrite) {
    const NameCase& c = GetParam();
    char field[PACKAGE_NAME_FIELD_SIZE] = {};
    memcpy(field, c.field, c.length);
    EXPECT_EQ(IsSafeEntryName(field), c.safe) << '"' << std::string(c.field, c.length) << '"';
}

#define NAME(text, safe)             \
    NameCase {                       \
        text, sizeof(text) - 1, safe \
    }
INSTANTIATE_TEST_SUITE_P(
    Table, EntryNames,
    testing::Values(NAME("game.dat", true), NAME("data\\x.pak", true), NAME("a\\b\\c", true),
                    NAME("123456789012345", true),  // 15 bytes, NUL in the last byte
                    NAME("x..y", true), NAME(".hidden", true), NAME("a b", true),
                    NAME("\x83\x5C\x83\x74\x83\x67.dat", true),  // Shift_JIS with 0x5C trail byte
                    NAME("1234567890123456", false),             // no NUL in the field
                    NAME("", false), NAME("..", false), NAME(".", false), NAME("...", false),
                    NAME(". .", false), NAME("..\\x", false), NAME("a\\..\\b", false),
                    NAME("a/../b", false), NAME("a\\..", false), NAME("\\x", false),
                    NAME("/x", false), NAME("C:x", false), NAME("C:\\x", false),
                    NAME("x:stream", false), NAME("a\\\\b", false), NAME("a\\", false),
                    NAME("\\\\?\\x", false), NAME("a*b", false), NAME("a?b", false),
                    NAME("a<b", false), NAME("a>b", false), NAME("a|b", false), NAME("a\"b", false),
                    NAME("a\nb", false), NAME("a\tb", false),
                    // Windows would drop the trailing dot or space and write another name.
                    NAME("a.", false), NAME("a ", false), NAME("data.\\x", false),
                    NAME("a.b", true), NAME(" a", true),
                    // Devices exist in every folder; writing to one leaves the folder.
                    NAME("NUL", false), NAME("nul.txt", false), NAME("Aux", false),
                    NAME("CON .txt", false), NAME("data\\con", false), NAME("COM1", false),
                    NAME("lpt9.log", false), NAME("CONOUT$", false), NAME("clock$", false),
                    NAME("COM10", true), NAME("console", true), NAME("nul2", true),
                    NAME("LPT", true),
                    // The name the new uninstall list is written under.
                    NAME("uninst.tmp", false), NAME("UNINST.TMP", false),
                    NAME("data\\uninst.tmp", true), NAME("uninst.lst", true)));
#undef NAME

PackageEntry Entry(uint32_t offset, uint32_t size) {
    PackageEntry entry = {};
    entry.offset = offset;
    entry.size = size;
    return entry;
}

TEST(EntryData, LiesAfterTheDirectory) {
    uint32_t at = 0;
    ASSERT_TRUE(LocateEntryData(2, Entry(5, 10), 0x10000 + 16 + 64 + 15, &at));
    EXPECT_EQ(at, 0x10000u + 16 + 64 + 5);
    EXPECT_EQ(PackageDataStart(0), 0x10010u);
    EXPECT_EQ(PackageDataStart(16), 0x10210u);
}

TEST(EntryData, MayEndExactlyAtTheEndOfTheFile) {
    uint32_t at = 0;
    EXPECT_TRUE(LocateEntryData(1, Entry(0, 4), 0x10030 + 4, &at));
    EXPECT_FALSE(LocateEntryData(1, Entry(0, 5), 0x10030 + 4, &at));
    EXPECT_FALSE(LocateEntryData(1, Entry(1, 4), 0x10030 + 4, &at));
    EXPECT_TRUE(LocateEntryData(1, Entry(4, 0), 0x10030 + 4, &at));
    EXPECT_FALSE(LocateEntryData(1, Entry(5, 0), 0x10030 + 4, &at));
}

TEST(EntryData, RangesThatWrapAround32BitsAreRefused) {
    uint32_t at = 0;
    EXPECT_FALSE(LocateEntryData(1, Entry(0xFFFFFFF0u, 0x20), 0xFFFFFFFEu, &at));
    EXPECT_FALSE(LocateEntryData(1, Entry(0x10, 0xFFFFFFF0u), 0xFFFFFFFEu, &at));
    EXPECT_FALSE(LocateEntryData(1, Entry(0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFEu, &at));
}

}  // namespace
