#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update_package.h"
#include "win32_files.h"

namespace {

class MergeUninstallListTest : public testing::Test {
  protected:
    ScratchFolder folder;
    std::string List() { return folder / "uninst.lst"; }

    bool Merge(std::vector<const char*> names) {
        names.push_back(nullptr);
        return MergeUninstallList(folder.Path().c_str(), names.data());
    }

    // After a failure the list is as it was and nothing else lies in the folder.
    void ExpectUntouched(const std::string& before) {
        EXPECT_EQ(ReadWholeFile(List()), before);
        EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"uninst.lst"});
    }
};

TEST_F(MergeUninstallListTest, AppendsTheMissingNamesAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(WriteWholeFile(List(), std::string("a.dat\n\0", 7)));
    ASSERT_TRUE(Merge({"b.dat", "a.dat", "b.dat"}));
    EXPECT_EQ(ReadWholeFile(List()), std::string("a.dat\nb.dat\n\0", 13));
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"uninst.lst"});
}

TEST_F(MergeUninstallListTest, AStaleTemporaryFileIsReplacedAndRemoved) {
    ASSERT_TRUE(WriteWholeFile(List(), std::string("\0", 1)));
    ASSERT_TRUE(WriteWholeFile(folder / "uninst.tmp", "left by a power cut"));
    ASSERT_TRUE(Merge({"a"}));
    EXPECT_EQ(ReadWholeFile(List()), std::string("a\n\0", 3));
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"uninst.lst"});
}

TEST_F(MergeUninstallListTest, KeepsTheListsAttributes) {
    ASSERT_TRUE(WriteWholeFile(List(), std::string("\0", 1)));
    ASSERT_TRUE(SetFileAttributesA(List().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(Merge({"a"}));
    EXPECT_EQ(ReadWholeFile(List()), std::string("a\n\0", 3));
    EXPECT_TRUE(Attributes(List()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(MergeUninstallListTest, AMissingListIsNotCreated) {
    EXPECT_FALSE(Merge({"a"}));
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{});
}

TEST_F(MergeUninstallListTest, BadListsAreLeftExactlyAsTheyWere) {
    struct Case {
        std::string bytes;
        const char* why;
    };
    const std::string full(0x100000 - 2, 'x');
    const Case cases[] = {
        {std::string(), "zero bytes"},
        {std::string("a.dat\n"), "no final NUL"},
        {std::string("a\0b\n\0", 5), "a NUL before the end"},
        {std::string(0x200000, 'x') + '\0', "larger than the buffer"},
        {full + '\0', "no room for the new names"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(WriteWholeFile(List(), c.bytes));
        EXPECT_FALSE(Merge({"new.dat"}));
        ExpectUntouched(c.bytes);
    }
}

TEST_F(MergeUninstallListTest, AReadOnlyListIsNotRewritten) {
    const std::string before("a\n\0", 3);
    ASSERT_TRUE(WriteWholeFile(List(), before));
    ASSERT_TRUE(SetFileAttributesA(List().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Merge({"b"}));
    ExpectUntouched(before);
    EXPECT_TRUE(Attributes(List()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(MergeUninstallListTest, AListHeldOpenByAnotherWriterIsNotRewritten) {
    const std::string before("a\n\0", 3);
    ASSERT_TRUE(WriteWholeFile(List(), before));
    HANDLE writer = CreateFileA(List().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Merge({"b"}));
    CloseHandle(writer);
    ExpectUntouched(before);
}

TEST_F(MergeUninstallListTest, AListHeldOpenWithoutWriteSharingIsNotReplaced) {
    const std::string before("a\n\0", 3);
    ASSERT_TRUE(WriteWholeFile(List(), before));
    HANDLE reader = CreateFileA(List().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Merge({"b"}));
    CloseHandle(reader);
    ExpectUntouched(before);
}

// "\\." components lengthen the folder's name without moving it.
// The same folder under a name of exactly length bytes: "\\." adds two bytes, "\\s\\.." five.
std::string SpelledLong(const std::string& folder, size_t length) {
    std::string longer = folder;
    if ((length - longer.size()) % 2 != 0) longer += "\\s\\..";
    while (longer.size() < length) longer += "\\.";
    return longer;
}

TEST_F(MergeUninstallListTest, PathsAreNeverCutShort) {
    const std::string before("a\n\0", 3);
    ASSERT_TRUE(WriteWholeFile(List(), before));
    ASSERT_TRUE(CreateDirectoryA((folder / "s").c_str(), nullptr));
    const char* names[] = {"b", nullptr};

    // 249 bytes, a backslash and "uninst.lst" need 261 bytes with the NUL.
    EXPECT_FALSE(MergeUninstallList(SpelledLong(folder.Path(), 249).c_str(), names));
    EXPECT_EQ(ReadWholeFile(List()), before);

    // One byte less fits, and so does the temporary file's name, which is as long.
    ASSERT_TRUE(MergeUninstallList(SpelledLong(folder.Path(), 248).c_str(), names));
    EXPECT_EQ(ReadWholeFile(List()), std::string("a\nb\n\0", 5));
    EXPECT_EQ(ListFolder(folder.Path()), (std::vector<std::string>{"s", "uninst.lst"}));
}

}  // namespace
