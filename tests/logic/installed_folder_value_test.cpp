#include "installed_folder_value.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

struct FolderCase {
    std::string bytes;  // copied into a zeroed 260-byte buffer, as the registry query leaves it
    bool usable;
};

class InstalledFolderValue : public testing::TestWithParam<FolderCase> {};

TEST_P(InstalledFolderValue, IsUsableOnlyWhenTerminatedAndAbsolute) {
    char folder[PATH_BUFFER_SIZE] = {};
    memcpy(folder, GetParam().bytes.data(), GetParam().bytes.size());
    EXPECT_EQ(IsUsableInstalledFolder(folder), GetParam().usable) << GetParam().bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, InstalledFolderValue,
    testing::Values(FolderCase{"C:\\Games\\Lantern Waltz", true}, FolderCase{"d:/games", true},
                    FolderCase{"C:\\", true}, FolderCase{"\\\\server\\games\\lw", true},
                    FolderCase{"C:\\" + std::string(256, 'x'), true},   // 259 bytes and the NUL
                    FolderCase{"C:\\" + std::string(257, 'x'), false},  // fills all 260 bytes
                    FolderCase{"", false}, FolderCase{"Lantern Waltz", false},
                    FolderCase{"C:", false}, FolderCase{"C:Lantern", false},
                    FolderCase{"\\Games", false}, FolderCase{"1:\\x", false}));

}  // namespace
