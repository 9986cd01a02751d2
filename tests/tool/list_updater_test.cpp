#include "list_updater.h"

#include <gtest/gtest.h>

namespace {

UpdaterDirectory TwoEntries() {
    UpdaterDirectory directory;
    directory.fileSize = 65700;
    memcpy(directory.header.magic, PACKAGE_MAGIC, sizeof PACKAGE_MAGIC);
    directory.header.entryCount = 2;
    directory.entries.resize(2);
    memcpy(directory.entries[0].name, "data\\x.pak", 11);
    directory.entries[0].offset = 0;
    directory.entries[0].size = 100;
    memcpy(directory.entries[1].name, "\x83\x65\"q", 5);
    directory.entries[1].offset = 100;
    directory.entries[1].size = 0;
    return directory;
}

TEST(ListUpdaterTest, TableShowsEachEntrysOffsetSizeAndFileRange) {
    EXPECT_EQ(FormatListing("setup.exe", TwoEntries()),
              "setup.exe: 65700 bytes, 2 files, package header at 65536, data from 65616\n"
              "  #  name                     offset       size      start        end\n"
              "  0  \"data\\x.pak\"                  0        100      65616      65716\n"
              "  1  \"\\x83e\"q\"                   100          0      65716      65716\n");
}

TEST(ListUpdaterTest, JsonKeepsTheNamesExactBytes) {
    EXPECT_EQ(FormatListingJson("dir\\setup.exe", TwoEntries()),
              "{\n"
              "  \"file\": \"dir\\\\setup.exe\",\n"
              "  \"file_size\": 65700,\n"
              "  \"package_offset\": 65536,\n"
              "  \"magic\": \"PackFile    \",\n"
              "  \"entry_count\": 2,\n"
              "  \"data_start\": 65616,\n"
              "  \"entries\": [\n"
              "    {\"name\": \"data\\\\x.pak\", \"name_hex\": \"646174615c782e70616b\", "
              "\"offset\": 0, \"size\": 100, \"file_start\": 65616, \"file_end\": 65716},\n"
              "    {\"name\": \"\\u0083e\\\"q\", \"name_hex\": \"83652271\", \"offset\": 100, "
              "\"size\": 0, \"file_start\": 65716, \"file_end\": 65716}\n"
              "  ]\n"
              "}\n");
}

TEST(ListUpdaterTest, JsonOfAnEmptyPackage) {
    UpdaterDirectory directory = TwoEntries();
    directory.entries.clear();
    EXPECT_NE(
        FormatListingJson("s", directory).find("\"data_start\": 65552,\n  \"entries\": []\n}"),
        std::string::npos);
}

}  // namespace
