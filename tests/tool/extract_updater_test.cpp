// Extracting refuses a package as a whole, before writing anything, when a name would leave the
// folder or data lies outside the file.
#include "extract_updater.h"

#include <gtest/gtest.h>

#include "tool_test_files.h"
#include "updater_file.h"

namespace {

class ExtractUpdaterTest : public testing::Test {
  protected:
    ScratchFolder scratch;
    std::string updater = scratch / "setup.exe";
    std::string folder = scratch / "out";

    bool Extract(const std::string& bytes, std::string* error) {
        WriteFile(updater, bytes);
        return ExtractUpdater(updater, folder, nullptr, error);
    }
};

TEST_F(ExtractUpdaterTest, RefusesANameThatLeavesTheFolderBeforeWritingAnything) {
    std::string error;
    EXPECT_FALSE(
        Extract(UpdaterFileBytes(TestPeImage(), PackageBytes({{"a.dat", "a"}, {"..\\evil", "x"}})),
                &error));
    EXPECT_NE(error.find("setup.exe: entry 1 \"..\\evil\": refused, the name has a \"..\" "
                         "component"),
              std::string::npos)
        << error;
    EXPECT_EQ(ListTree(scratch.Path()), std::vector<std::string>{"setup.exe"});
}

TEST_F(ExtractUpdaterTest, RefusesDataOutsideTheFile) {
    std::string bytes = UpdaterFileBytes(TestPeImage(), PackageBytes({{"a.dat", "abc"}}));
    bytes.pop_back();
    std::string error;
    EXPECT_FALSE(Extract(bytes, &error));
    EXPECT_NE(error.find("entry 0 \"a.dat\": its data runs past the end of the file"),
              std::string::npos)
        << error;
    EXPECT_EQ(ListTree(scratch.Path()), std::vector<std::string>{"setup.exe"});
}

TEST_F(ExtractUpdaterTest, RefusesAFileWithoutAPackage) {
    std::string error;
    EXPECT_FALSE(Extract(TestPeImage(), &error));
    EXPECT_NE(error.find("too short to hold the package header"), std::string::npos) << error;
}

TEST_F(ExtractUpdaterTest, ReadsDataWhereverTheDirectoryPutsIt) {
    // Out of order and shared, as the updater allows.
    std::string bytes = UpdaterFileBytes(TestPeImage(), PackageBytes({{"a", "0123"}, {"b", "45"}}));
    PutU32(bytes, EntryOffsetAt(0), 4);
    PutU32(bytes, EntrySizeAt(0), 2);
    PutU32(bytes, EntryOffsetAt(1), 1);
    PutU32(bytes, EntrySizeAt(1), 5);
    std::string error;
    ASSERT_TRUE(Extract(bytes, &error)) << error;
    EXPECT_EQ(ReadFile(folder + "/a"), "45");
    EXPECT_EQ(ReadFile(folder + "/b"), "12345");
}

TEST_F(ExtractUpdaterTest, SplitsNamesWhereWindowsDoes) {
    // "ソフト.dat" has 0x5C as the second byte of its first character: one file, as on Windows.
    const std::string name = "\x83\x5C\x83\x74\x83\x67.dat";
    std::string error;
    ASSERT_TRUE(Extract(UpdaterFileBytes(TestPeImage(), PackageBytes({{name, "s"}, {"d\\x", "x"}})),
                        &error))
        << error;
    EXPECT_EQ(ReadFile(folder + "/" + name), "s");
    EXPECT_EQ(ReadFile(folder + "/d/x"), "x");
}

TEST_F(ExtractUpdaterTest, ReportsAFolderThatCannotBeCreated) {
    WriteFile(scratch / "data", "a file where a folder should be");
    folder = scratch.Path();
    std::string error;
    EXPECT_FALSE(
        Extract(UpdaterFileBytes(TestPeImage(), PackageBytes({{"data\\x", "x"}})), &error));
    EXPECT_NE(error.find("/data: cannot create the folder"), std::string::npos) << error;
}

}  // namespace
