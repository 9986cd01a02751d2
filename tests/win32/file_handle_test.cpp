#include "file_handle.h"

#include <gtest/gtest.h>

#include "win32_files.h"

namespace {

class FileHandleTest : public testing::Test {
  protected:
    ScratchFolder scratch;
    std::string Path(const char* name) { return scratch / name; }
};

HANDLE OpenOther(const std::string& path, DWORD access, DWORD share) {
    return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(FileHandleTest, AMissingFileLeavesTheObjectClosedAndReusable) {
    FileHandle file;
    EXPECT_FALSE(file.OpenForRead(Path("missing").c_str()));
    EXPECT_EQ(file.GetSize(), 0xFFFFFFFFu);
    ASSERT_TRUE(file.OpenForWrite(Path("made").c_str()));
    EXPECT_EQ(file.Write("abc", 3), 3u);
    file.Close();
    EXPECT_EQ(ReadWholeFile(Path("made")), "abc");
}

TEST_F(FileHandleTest, OpenForWriteTruncatesBeforeAnythingIsWritten) {
    ASSERT_TRUE(WriteWholeFile(Path("f"), "old contents"));
    FileHandle file;
    ASSERT_TRUE(file.OpenForWrite(Path("f").c_str()));
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(file.Write("new", 3), 3u);
    file.Close();
    EXPECT_EQ(ReadWholeFile(Path("f")), "new");
}

TEST_F(FileHandleTest, OpenForWriteCreatesAnArchiveFile) {
    FileHandle file;
    ASSERT_TRUE(file.OpenForWrite(Path("f").c_str()));
    file.Close();
    EXPECT_EQ(Attributes(Path("f")), DWORD{FILE_ATTRIBUTE_ARCHIVE});
}

TEST_F(FileHandleTest, ASecondOpenIsRefusedWithoutTouchingTheHeldHandle) {
    ASSERT_TRUE(WriteWholeFile(Path("held"), "held bytes"));
    FileHandle file;
    ASSERT_TRUE(file.OpenForRead(Path("held").c_str()));
    EXPECT_FALSE(file.OpenForRead(Path("held").c_str()));
    EXPECT_FALSE(file.OpenForWrite(Path("other").c_str()));
    EXPECT_FALSE(FileExists(Path("other")));
    char bytes[10];
    EXPECT_EQ(file.Read(bytes, sizeof bytes), 10u);
    EXPECT_EQ(std::string(bytes, 10), "held bytes");
}

TEST_F(FileHandleTest, CloseMayBeRepeatedAndTheObjectReopened) {
    ASSERT_TRUE(WriteWholeFile(Path("a"), "first"));
    ASSERT_TRUE(WriteWholeFile(Path("b"), "second"));
    FileHandle file;
    ASSERT_TRUE(file.OpenForRead(Path("a").c_str()));
    file.Close();
    file.Close();
    ASSERT_TRUE(file.OpenForRead(Path("b").c_str()));
    EXPECT_EQ(file.GetSize(), 6u);
}

TEST_F(FileHandleTest, LeavingTheScopeClosesTheHandle) {
    ASSERT_TRUE(WriteWholeFile(Path("f"), "x"));
    {
        FileHandle file;
        ASSERT_TRUE(file.OpenForRead(Path("f").c_str()));
        EXPECT_EQ(OpenOther(Path("f"), GENERIC_WRITE, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
    }
    HANDLE exclusive = OpenOther(Path("f"), GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);
}

TEST_F(FileHandleTest, WhileWritingNobodyElseMayOpenTheFile) {
    FileHandle file;
    ASSERT_TRUE(file.OpenForWrite(Path("f").c_str()));
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    EXPECT_EQ(OpenOther(Path("f"), GENERIC_READ, shareAll), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
    EXPECT_EQ(OpenOther(Path("f"), GENERIC_WRITE, shareAll), INVALID_HANDLE_VALUE);
}

TEST_F(FileHandleTest, WhileReadingOthersMayReadButNotWrite) {
    ASSERT_TRUE(WriteWholeFile(Path("f"), "x"));
    FileHandle file;
    ASSERT_TRUE(file.OpenForRead(Path("f").c_str()));
    HANDLE reader = OpenOther(Path("f"), GENERIC_READ, FILE_SHARE_READ);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    EXPECT_EQ(OpenOther(Path("f"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
}

TEST_F(FileHandleTest, ReadsAndSeeksReportWhatHappened) {
    ASSERT_TRUE(WriteWholeFile(Path("f"), "0123456789"));
    FileHandle file;
    ASSERT_TRUE(file.OpenForRead(Path("f").c_str()));
    EXPECT_EQ(file.GetSize(), 10u);
    ASSERT_TRUE(file.SeekTo(7));
    char bytes[8] = {};
    EXPECT_EQ(file.Read(bytes, sizeof bytes), 3u);  // short at the end of the file
    EXPECT_EQ(std::string(bytes, 3), "789");
    EXPECT_EQ(file.Read(bytes, sizeof bytes), 0u);
    EXPECT_TRUE(file.SeekTo(100));           // past the end is a valid position
    EXPECT_FALSE(file.SeekTo(0x80000000u));  // 2 GiB and above are not
    EXPECT_EQ(file.Write("x", 1), 0u);       // opened for reading only
}

TEST_F(FileHandleTest, AClosedObjectFailsInThePlatformsWay) {
    FileHandle file;
    char byte = 0;
    EXPECT_EQ(file.Read(&byte, 1), 0u);
    EXPECT_EQ(file.Write(&byte, 1), 0u);
    EXPECT_FALSE(file.SeekTo(0));
    EXPECT_EQ(file.GetSize(), 0xFFFFFFFFu);
}

}  // namespace
