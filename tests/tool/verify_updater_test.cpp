// Verifying updater files: each kind of damage is named, and nothing else is.
#include "verify_updater.h"

#include <gtest/gtest.h>

#include <functional>

#include "build_updater.h"
#include "tool_test_files.h"
#include "updater_file.h"

namespace {

const std::vector<CarriedFile> FILES = {{"a.dat", "first"}, {"data\\b.pak", Bytes(300, 2)}};

struct Damage {
    const char* what;
    std::function<void(std::string&)> change;
    std::vector<std::string> problems;  // a part of each line reported, in order
};

class VerifyDamageTest : public testing::TestWithParam<Damage> {
  protected:
    ScratchFolder scratch;
};

TEST_P(VerifyDamageTest, NamesEveryProblemAndNothingElse) {
    std::string bytes = UpdaterFileBytes(TestPeImage(), PackageBytes(FILES));
    GetParam().change(bytes);
    const std::string path = scratch / "setup.exe";
    WriteFile(path, bytes);
    const std::vector<std::string> problems = VerifyUpdater(path);
    ASSERT_EQ(problems.size(), GetParam().problems.size()) << testing::PrintToString(problems);
    for (size_t i = 0; i < problems.size(); ++i) {
        EXPECT_EQ(problems[i].find(path + ": "), 0u) << problems[i];
        EXPECT_NE(problems[i].find(GetParam().problems[i]), std::string::npos) << problems[i];
    }
}

void SetName(std::string& bytes, size_t entry, const std::string& name) {
    memset(&bytes[EntryNameAt(entry)], 0, PACKAGE_NAME_FIELD_SIZE);
    memcpy(&bytes[EntryNameAt(entry)], name.data(), name.size());
}

const size_t DATA_START = PackageDataStart(2);

const Damage DAMAGES[] = {
    {"Intact", [](std::string&) {}, {}},
    {"ShorterThanTheHeader",
     [](std::string& bytes) { bytes.resize(PACKAGE_OFFSET + 15); },
     {"65551 bytes, too short to hold the package header that ends at 65552"}},
    {"ImageNotAnExecutable",
     [](std::string& bytes) { bytes[1] = 'X'; },
     {"the image: not a Windows executable: no \"MZ\""}},
    {"ImageReachingIntoThePackage",
     [](std::string& bytes) { PutU32At(bytes, TEST_SECTIONS_AT + 16, PACKAGE_OFFSET); },
     {"the executable image extends to offset 66048, past the package at 65536"}},
    {"PaddingNotZero",
     [](std::string& bytes) {
         bytes[TEST_IMAGE_END + 5] = 1;
         bytes[PACKAGE_OFFSET - 1] = 1;
     },
     {"2 bytes of the padding between the image's end (1024) and 65536 are not zero, the first "
      "at offset 1029"}},
    {"WrongMagic",
     [](std::string& bytes) { bytes[PACKAGE_OFFSET] = 'p'; },
     {"does not start with \"PackFile    \""}},
    {"SeventeenEntries",
     [](std::string& bytes) { PutU32(bytes, ENTRY_COUNT_AT, 17); },
     {"counts 17 files; the updater accepts at most 16"}},
    {"DirectoryPastTheEnd",
     [](std::string& bytes) {
         PutU32(bytes, ENTRY_COUNT_AT, 16);
         bytes.resize(PackageDataStart(16) - 1);
     },
     {"the directory of 16 entries ends at 66064, past the end of the file (66063 bytes)"}},
    {"NameLeavingTheFolder",
     [](std::string& bytes) { SetName(bytes, 1, "..\\b.pak"); },
     {"entry 1 \"..\\b.pak\": the updater refuses the name: it has a \"..\" component"}},
    {"NameWithoutNul",
     [](std::string& bytes) { SetName(bytes, 0, "sixteen.chars.xx"); },
     {"entry 0 \"sixteen.chars.xx\": the updater refuses the name: it has no terminating NUL"}},
    {"EmptyName", [](std::string& bytes) { SetName(bytes, 0, ""); }, {"it is empty"}},
    {"DataPastTheEnd",
     [](std::string& bytes) { PutU32(bytes, EntrySizeAt(1), 301); },
     {"entry 1 \"data\\b.pak\": its data (offset 5, size 301) runs from " +
      std::to_string(DATA_START + 5) + " to " + std::to_string(DATA_START + 306) +
      ", past the end of the file at " + std::to_string(DATA_START + 305)}},
    {"OffsetThatWrapsAround4GiB",
     [](std::string& bytes) { PutU32(bytes, EntryOffsetAt(0), 0xFFFFFFFF); },
     {"entry 0 \"a.dat\": its data (offset 4294967295, size 5)"}},
    {"SameNameTwice",
     [](std::string& bytes) { SetName(bytes, 1, "A.DAT"); },
     {"entry 1 \"A.DAT\": names the same file as entry 0 \"a.dat\""}},
    {"NameUsedAsAFileAndAsAFolder",
     [](std::string& bytes) { SetName(bytes, 0, "Data"); },
     {"entry 1 \"data\\b.pak\": uses the name of entry 0 \"Data\" as a file and as a folder"}},
    {"SeveralAtOnce",
     [](std::string& bytes) {
         bytes[0] = 0;
         SetName(bytes, 0, "C:\\a");
         PutU32(bytes, EntrySizeAt(0), 1000);
         SetName(bytes, 1, "c:/A");
     },
     {"not a Windows executable",
      "entry 0 \"C:\\a\": the updater refuses the name: it contains a colon",
      "entry 0 \"C:\\a\": its data", "entry 1 \"c:/A\": the updater refuses the name",
      "entry 1 \"c:/A\": names the same file as entry 0"}},
};

INSTANTIATE_TEST_SUITE_P(Damages, VerifyDamageTest, testing::ValuesIn(DAMAGES),
                         [](const testing::TestParamInfo<Damage>& info) {
                             return std::string(info.param.what);
                         });

TEST(VerifyUpdaterTest, FileOf2GiBIsBeyondTheUpdatersReach) {
    ScratchFolder scratch;
    const std::string path = scratch / "setup.exe";
    WriteFile(path, UpdaterFileBytes(TestPeImage(), PackageBytes(FILES)));
    std::filesystem::resize_file(path, MAX_UPDATER_FILE_SIZE + 1);  // sparse, not written
    const std::vector<std::string> problems = VerifyUpdater(path);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("2147483648 bytes; the updater cannot address files of 2 GiB"),
              std::string::npos)
        << problems[0];
}

TEST(VerifyUpdaterTest, MissingFile) {
    ScratchFolder scratch;
    const std::vector<std::string> problems = VerifyUpdater(scratch / "none.exe");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("none.exe: cannot read: No such file"), std::string::npos);
}

}  // namespace
