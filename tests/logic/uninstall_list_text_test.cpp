#include "uninstall_list_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct MergeResult {
    bool ok;
    std::string
        text;  // the buffer's first newSize bytes on success, the first size bytes otherwise
};

// The list is given without its final NUL unless raw is set.
MergeResult Merge(std::string list, std::vector<const char*> names, uint32_t capacity = 64,
                  bool raw = false) {
    if (!raw) list.push_back('\0');
    std::string buffer = list;
    buffer.resize(std::max<size_t>(capacity, list.size()), '#');
    names.push_back(nullptr);
    uint32_t newSize = 0xDEAD;
    const bool ok = AppendMissingNames(&buffer[0], static_cast<uint32_t>(list.size()), capacity,
                                       names.data(), &newSize);
    return {ok, buffer.substr(0, ok ? newSize : list.size())};
}

TEST(UninstallListText, AppendsEachMissingNameOnce) {
    MergeResult r = Merge("a.dat\n", {"b.dat", "a.dat", "b.dat"});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, std::string("a.dat\nb.dat\n\0", 13));
}

TEST(UninstallListText, LeavesTheExistingTextAsItIs) {
    MergeResult r = Merge("C:\\Game\\x.dat\r\nold line", {"new.dat"});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, std::string("C:\\Game\\x.dat\r\nold linenew.dat\n\0", 32));
}

TEST(UninstallListText, SkipsNamesFoundAnywhereInTheText) {
    // A bare name whose full path is listed, and a name that ends a longer one.
    MergeResult r = Merge("C:\\Game\\data\\x.pak\nbig.dat\n", {"x.pak", "g.dat", "X.PAK"});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, std::string("C:\\Game\\data\\x.pak\nbig.dat\nX.PAK\n\0", 34));
}

TEST(UninstallListText, NoNamesRewritesTheSameText) {
    MergeResult r = Merge("a\n", {});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, std::string("a\n\0", 3));
}

TEST(UninstallListText, AListOfOnlyItsNulIsExtended) {
    MergeResult r = Merge("", {"a"});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, std::string("a\n\0", 3));
}

TEST(UninstallListText, MalformedListsAreRefusedUntouched) {
    struct Case {
        std::string bytes;
        const char* why;
    };
    const Case cases[] = {{std::string(), "zero bytes"},
                          {std::string("a\n"), "no final NUL"},
                          {std::string("a\0b\n\0", 5), "a NUL before the end"}};
    for (const Case& c : cases) {
        MergeResult r = Merge(c.bytes, {"n"}, 64, true);
        EXPECT_FALSE(r.ok) << c.why;
        EXPECT_EQ(r.text, c.bytes) << c.why;
    }
}

TEST(UninstallListText, AListLargerThanTheBufferIsRefused) {
    const std::string list(10, 'x');
    std::string buffer = list + '\0';
    const char* names[] = {nullptr};
    uint32_t newSize = 0;
    EXPECT_FALSE(AppendMissingNames(&buffer[0], 11, 10, names, &newSize));
}

TEST(UninstallListText, FillsTheBufferExactlyButNotBeyond) {
    // "ab\0" plus "cd\n" needs 6 bytes.
    MergeResult fits = Merge("ab", {"cd"}, 6);
    ASSERT_TRUE(fits.ok);
    EXPECT_EQ(fits.text, std::string("abcd\n\0", 6));

    MergeResult over = Merge("ab", {"cd"}, 5);
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.text, std::string("ab\0", 3));
}

TEST(UninstallListText, AFailedAppendTakesBackEarlierLines) {
    MergeResult r = Merge("ab", {"c", "defgh"}, 8);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text, std::string("ab\0", 3));
}

}  // namespace
