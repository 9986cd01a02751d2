// Runs the real installation path: the probe image, padded and with a package appended, is started
// as a child process that reads its own file and installs into a scratch game folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "package_format.h"
#include "updater_file.h"
#include "win32_files.h"

namespace {

const std::string LIST_BEFORE("C:\\Game\\game.exe\nold.dat\n\0", 26);

class ApplyUpdatePackageTest : public testing::Test {
  protected:
    ScratchFolder scratch;
    std::string game = scratch / "game";

    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(game + "\\uninst.lst", LIST_BEFORE));
    }

    static std::string Image() {
        const std::string image = ReadWholeFile(ProgramFolder() + "\\apply_probe.exe");
        EXPECT_GT(image.size(), 0u);
        EXPECT_LE(image.size(), PACKAGE_OFFSET);
        return image;
    }

    DWORD Run(const std::string& updaterBytes, const std::string& folder) {
        const std::string updater = scratch / "setup.exe";
        EXPECT_TRUE(WriteWholeFile(updater, updaterBytes));
        return RunProgram(updater, "\"" + folder + "\"");
    }
    DWORD Run(const std::string& updaterBytes) { return Run(updaterBytes, game); }
    DWORD Install(const std::vector<CarriedFile>& files) {
        return Run(UpdaterFileBytes(Image(), PackageBytes(files)));
    }

    std::string Game(const std::string& name) { return ReadWholeFile(game + "\\" + name); }
    std::vector<std::string> GameFiles() { return ListFolder(game); }
    std::string List() { return Game("uninst.lst"); }
    // Nothing appeared beside the game folder.
    void ExpectNothingOutside() {
        EXPECT_EQ(ListFolder(scratch.Path()), (std::vector<std::string>{"game", "setup.exe"}));
    }
};

std::string Bytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
    return bytes;
}

TEST_F(ApplyUpdatePackageTest, WritesEveryFileAndExtendsTheList) {
    ASSERT_TRUE(CreateDirectoryA((game + "\\data").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(game + "\\old.dat", "previous version, longer than the new one"));
    const std::vector<CarriedFile> files = {
        {"old.dat", "new version"}, {"data\\x.pak", Bytes(5000, 1)}, {"readme.txt", "hello\r\n"}};
    EXPECT_EQ(Install(files), UPDATE_OK);
    EXPECT_EQ(Game("old.dat"), "new version");
    EXPECT_EQ(Game("data\\x.pak"), Bytes(5000, 1));
    EXPECT_EQ(Game("readme.txt"), "hello\r\n");
    EXPECT_EQ(List(), LIST_BEFORE.substr(0, 25) + "data\\x.pak\nreadme.txt\n" + '\0');
    EXPECT_EQ(GameFiles(),
              (std::vector<std::string>{"data", "old.dat", "readme.txt", "uninst.lst"}));
    ExpectNothingOutside();
}

TEST_F(ApplyUpdatePackageTest, FilesLargerThanTheCopyBufferArriveWhole) {
    const std::string big = Bytes(3 * 0x100000 + 17, 7);
    EXPECT_EQ(Install({{"small.dat", "s"}, {"big.dat", big}}), UPDATE_OK);
    EXPECT_EQ(Game("big.dat"), big);
    EXPECT_EQ(Game("small.dat"), "s");
}

TEST_F(ApplyUpdatePackageTest, DataMayLieAnywhereInTheDataArea) {
    // Entries out of order, one sharing bytes with another, one of size zero.
    std::string package = PackageBytes({{"pq", "xxxx"}, {"rs", "yyyy"}, {"empty", ""}}) + "tail";
    const size_t data = sizeof(PackageHeader) + 3 * sizeof(PackageEntry);
    package.replace(data, 8, "ABCDEFGH");
    std::string updater = UpdaterFileBytes(Image(), package);
    PutU32(updater, EntryOffsetAt(0), 4);  // pq = "EFGH"
    PutU32(updater, EntryOffsetAt(1), 2);  // rs = "CDEF"
    PutU32(updater, EntryOffsetAt(2), 12);
    EXPECT_EQ(Run(updater), UPDATE_OK);
    EXPECT_EQ(Game("pq"), "EFGH");
    EXPECT_EQ(Game("rs"), "CDEF");
    EXPECT_TRUE(FileExists(game + "\\empty"));
    EXPECT_EQ(Game("empty"), "");
    EXPECT_EQ(List(), LIST_BEFORE.substr(0, 25) + "pq\nrs\nempty\n" + '\0');
}

TEST_F(ApplyUpdatePackageTest, AnEmptyPackageRewritesTheListUnchanged) {
    EXPECT_EQ(Install({}), UPDATE_OK);
    EXPECT_EQ(List(), LIST_BEFORE);
}

TEST_F(ApplyUpdatePackageTest, WithoutAListTheFilesAreWrittenButTheListIsNotCreated) {
    ASSERT_TRUE(DeleteFileA((game + "\\uninst.lst").c_str()));
    EXPECT_EQ(Install({}), UPDATE_E_UNINSTALL_LIST);
    EXPECT_EQ(Install({{"a", "1"}}), UPDATE_E_UNINSTALL_LIST);
    EXPECT_EQ(GameFiles(), std::vector<std::string>{"a"});
}

TEST_F(ApplyUpdatePackageTest, AReadOnlyListFailsAfterEveryFileIsWritten) {
    ASSERT_TRUE(SetFileAttributesA((game + "\\uninst.lst").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Install({{"a", "1"}, {"b", "2"}}), UPDATE_E_UNINSTALL_LIST);
    EXPECT_EQ(Game("a"), "1");
    EXPECT_EQ(Game("b"), "2");
    EXPECT_EQ(List(), LIST_BEFORE);
}

TEST_F(ApplyUpdatePackageTest, SixteenFilesAreTheLimit) {
    std::vector<CarriedFile> files;
    for (int i = 0; i < 16; ++i) files.push_back({"f" + std::to_string(i), std::to_string(i)});
    EXPECT_EQ(Install(files), UPDATE_OK);
    EXPECT_EQ(GameFiles().size(), 17u);
    EXPECT_EQ(Game("f15"), "15");
}

TEST_F(ApplyUpdatePackageTest, TooManyFilesTouchNothing) {
    for (uint32_t count : {17u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(count);
        std::string updater = UpdaterFileBytes(Image(), PackageBytes({{"a", "1"}}));
        PutU32(updater, ENTRY_COUNT_AT, count);
        EXPECT_EQ(Run(updater), UPDATE_E_TOO_MANY_FILES);
        EXPECT_EQ(GameFiles(), std::vector<std::string>{"uninst.lst"});
        EXPECT_EQ(List(), LIST_BEFORE);
    }
}

TEST_F(ApplyUpdatePackageTest, TheMagicIsNotTested) {
    std::string updater = UpdaterFileBytes(Image(), PackageBytes({{"a", "1"}}));
    updater.replace(PACKAGE_OFFSET, 12, "NotAPackage!");
    EXPECT_EQ(Run(updater), UPDATE_OK);
    EXPECT_EQ(Game("a"), "1");
}

TEST_F(ApplyUpdatePackageTest, TruncatedUpdaterFilesAreDamaged) {
    const std::string whole = UpdaterFileBytes(Image(), PackageBytes({{"a", "12345"}}));
    struct Case {
        size_t size;
        const char* where;
    };
    const Case cases[] = {{PACKAGE_OFFSET - 1, "inside the image"},
                          {PACKAGE_OFFSET, "before the header"},
                          {PACKAGE_OFFSET + 10, "inside the header"},
                          {PACKAGE_OFFSET + 16 + 20, "inside the directory"},
                          {whole.size() - 1, "inside the data"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(Run(whole.substr(0, c.size)), UPDATE_E_READ);
        EXPECT_EQ(GameFiles(), std::vector<std::string>{"uninst.lst"});
        EXPECT_EQ(List(), LIST_BEFORE);
    }
}

TEST_F(ApplyUpdatePackageTest, ADamagedEntryStopsThereWithTheEarlierFilesWritten) {
    struct Case {
        size_t field;
        std::string bytes;
        const char* what;
    };
    auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    const Case cases[] = {
        {EntrySizeAt(1), u32(100), "data past the end of the file"},
        {EntryOffsetAt(1), u32(0xFFFFFFF0u), "an offset that wraps around"},
        {EntrySizeAt(1), u32(0xFFFFFFFFu), "a size that wraps around"},
        {EntryNameAt(1), "1234567890123456", "a name without its NUL"},
        {EntryNameAt(1), std::string(16, '\0'), "an empty name"},
        {EntryNameAt(1), "..\\escape.dat", "a name that climbs out"},
        {EntryNameAt(1), "sub\\..\\..\\x", "a name that climbs out through a folder"},
        {EntryNameAt(1), "C:\\escape.dat", "an absolute name"},
        {EntryNameAt(1), "\\escape.dat", "a name from the root"},
        {EntryNameAt(1), "/escape.dat", "a name from the root, with a slash"},
        {EntryNameAt(1), "C:escape.dat", "a drive-relative name"},
        {EntryNameAt(1), std::string("NUL\0", 4), "a device"},
        {EntryNameAt(1), "data\\con.txt", "a device in a folder"},
        {EntryNameAt(1), std::string("second.\0", 8), "a name Windows would shorten"},
        {EntryNameAt(1), std::string("uninst.tmp\0", 11), "the new list's name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string updater = UpdaterFileBytes(
            Image(), PackageBytes({{"first", "1"}, {"second", "2"}, {"third", "3"}}));
        updater.replace(c.field, c.bytes.size(), c.bytes);
        EXPECT_EQ(Run(updater), UPDATE_E_READ);
        EXPECT_EQ(GameFiles(), (std::vector<std::string>{"first", "uninst.lst"}));
        EXPECT_EQ(List(), LIST_BEFORE);
        ExpectNothingOutside();
        ASSERT_TRUE(DeleteFileA((game + "\\first").c_str()));
    }
}

TEST_F(ApplyUpdatePackageTest, AnExistingReadOnlyTargetIsReplaced) {
    ASSERT_TRUE(WriteWholeFile(game + "\\a", "old"));
    ASSERT_TRUE(SetFileAttributesA((game + "\\a").c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(Install({{"a", "new"}}), UPDATE_OK);
    EXPECT_EQ(Game("a"), "new");
    EXPECT_EQ(Attributes(game + "\\a"), DWORD{FILE_ATTRIBUTE_ARCHIVE});
}

TEST_F(ApplyUpdatePackageTest, TargetsThatCannotBeCreatedStopTheUpdate) {
    struct Case {
        const char* name;
        const char* what;
    };
    const Case cases[] = {{"nofolder\\x", "a subfolder that does not exist"},
                          {"folder", "an existing folder"}};
    ASSERT_TRUE(CreateDirectoryA((game + "\\folder").c_str(), nullptr));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Install({{"first", "1"}, {c.name, "2"}, {"third", "3"}}), UPDATE_E_CREATE);
        EXPECT_EQ(GameFiles(), (std::vector<std::string>{"first", "folder", "uninst.lst"}));
        EXPECT_EQ(List(), LIST_BEFORE);
        ASSERT_TRUE(DeleteFileA((game + "\\first").c_str()));
    }
}

TEST_F(ApplyUpdatePackageTest, ATargetHeldOpenByAnotherProgramCannotBeCreated) {
    ASSERT_TRUE(WriteWholeFile(game + "\\busy", "in use"));
    ASSERT_TRUE(SetFileAttributesA((game + "\\busy").c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE holder =
        CreateFileA((game + "\\busy").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Install({{"busy", "new"}}), UPDATE_E_CREATE);
    CloseHandle(holder);
    EXPECT_EQ(Game("busy"), "in use");
    // Its attributes were cleared for the replacement that then failed, and stay cleared.
    EXPECT_EQ(Attributes(game + "\\busy") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(List(), LIST_BEFORE);
}

TEST_F(ApplyUpdatePackageTest, AMissingInstallationFolderWritesNothing) {
    EXPECT_EQ(Run(UpdaterFileBytes(Image(), PackageBytes({{"a", "1"}})), game + "\\gone"),
              UPDATE_E_CREATE);
    EXPECT_EQ(GameFiles(), std::vector<std::string>{"uninst.lst"});
    ExpectNothingOutside();
}

TEST_F(ApplyUpdatePackageTest, TargetPathsAreNeverCutShort) {
    // "\\." components lengthen the folder's name without moving it: 250 bytes, then the name.
    std::string longer = game;
    while (longer.size() + 2 <= 250) longer += "\\.";
    const std::string updater = UpdaterFileBytes(Image(), PackageBytes({{"abcdefghij", "1"}}));
    EXPECT_EQ(Run(updater, longer), UPDATE_E_CREATE);
    EXPECT_EQ(GameFiles(), std::vector<std::string>{"uninst.lst"});
}

// A 2 MiB drive S: that the test session mounts where the machine allows it
// (tests/wine/small-disk).
class FullDiskTest : public ApplyUpdatePackageTest {
  protected:
    std::unique_ptr<ScratchFolder> disk;

    void SetUp() override {
        if (!FileExists("S:\\")) {
            GTEST_SKIP()
                << "no small drive S: here; the fault-injection test's failed writes stand "
                   "in for a full disk";
        }
        disk = std::make_unique<ScratchFolder>("S:\\");
        game = disk->Path() + "\\game";
        ApplyUpdatePackageTest::SetUp();
    }

    uint64_t FreeBytes() {
        ULARGE_INTEGER free = {};
        EXPECT_TRUE(GetDiskFreeSpaceExA(game.c_str(), &free, nullptr, nullptr));
        return free.QuadPart;
    }
};

TEST_F(FullDiskTest, AFileThatDoesNotFitStopsTheUpdate) {
    const std::string big = Bytes(3 * 0x100000, 3);
    EXPECT_EQ(Install({{"first", "1"}, {"big", big}, {"third", "3"}}), UPDATE_E_CREATE);
    EXPECT_EQ(Game("first"), "1");
    EXPECT_FALSE(FileExists(game + "\\third"));
    EXPECT_EQ(List(), LIST_BEFORE);
}

TEST_F(FullDiskTest, AListThatNoLongerFitsIsKeptAsItWas) {
    // Old text large enough that its new copy cannot fit beside it once the files are written.
    const std::string before = std::string(300 * 1024, 'x') + "\n" + '\0';
    ASSERT_TRUE(WriteWholeFile(game + "\\uninst.lst", before));
    const uint64_t room = FreeBytes();
    ASSERT_GT(room, 200u * 1024);
    EXPECT_EQ(Install({{"filler", Bytes(static_cast<size_t>(room - 100 * 1024), 5)}}),
              UPDATE_E_UNINSTALL_LIST);
    EXPECT_EQ(Game("filler").size(), room - 100 * 1024);
    EXPECT_EQ(List(), before);
    EXPECT_EQ(GameFiles(), (std::vector<std::string>{"filler", "uninst.lst"}));
}

}  // namespace
