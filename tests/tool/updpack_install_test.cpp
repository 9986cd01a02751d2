// An updater built by the tool's library from the probe image, run for real: the package that the
// tool writes is the package that the updater installs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "build_updater.h"
#include "extract_updater.h"
#include "package_format.h"
#include "verify_updater.h"
#include "win32_files.h"

namespace {

const std::string LIST_BEFORE("C:\\Game\\game.exe\nold.dat\n\0", 26);

struct Carried {
    std::string name;
    std::string data;
};

std::string Bytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
    return bytes;
}

class UpdpackInstallTest : public testing::Test {
  protected:
    ScratchFolder scratch;
    std::string game = scratch / "game";
    std::string updater = scratch / "setup.exe";

    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((game + "\\data").c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(game + "\\uninst.lst", LIST_BEFORE));
        ASSERT_TRUE(CreateDirectoryA((scratch / "in").c_str(), nullptr));
    }

    void Build(const std::vector<Carried>& files) {
        std::vector<PackageInput> inputs;
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string path = scratch / ("in\\" + std::to_string(i));
            ASSERT_TRUE(WriteWholeFile(path, files[i].data));
            inputs.push_back({files[i].name, path});
        }
        std::string error;
        ASSERT_TRUE(
            BuildUpdater(ProgramFolder() + "\\apply_probe.exe", inputs, updater, nullptr, &error))
            << error;
    }
    DWORD Install() { return RunProgram(updater, "\"" + game + "\""); }
    std::string Game(const std::string& name) { return ReadWholeFile(game + "\\" + name); }
};

const std::vector<Carried> RELEASE = {
    {"old.dat", "new version"},
    {"data\\x.pak", Bytes(3 * 0x100000 + 17, 1)},
    {"readme.txt", "hello\r\n"},
};

TEST_F(UpdpackInstallTest, UpdaterInstallsTheFilesAndExtendsTheList) {
    Build(RELEASE);
    // The linker's own image passes the same checks as the test images of the native build.
    EXPECT_EQ(VerifyUpdater(updater), std::vector<std::string>{});

    EXPECT_EQ(Install(), UPDATE_OK);
    for (const Carried& file : RELEASE) EXPECT_EQ(Game(file.name), file.data) << file.name;
    EXPECT_EQ(Game("uninst.lst"), LIST_BEFORE.substr(0, 25) + "data\\x.pak\nreadme.txt\n" + '\0');
    EXPECT_EQ(ListFolder(game),
              (std::vector<std::string>{"data", "old.dat", "readme.txt", "uninst.lst"}));
}

TEST_F(UpdpackInstallTest, RebuildReplacesTheEarlierUpdater) {
    // rename() cannot replace a file on Windows; the tool must still put the new build in place.
    Build({{"old.dat", "first build"}});
    Build({{"old.dat", "second build"}});
    EXPECT_EQ(ListFolder(scratch.Path()), (std::vector<std::string>{"game", "in", "setup.exe"}));
    EXPECT_EQ(Install(), UPDATE_OK);
    EXPECT_EQ(Game("old.dat"), "second build");
}

TEST_F(UpdpackInstallTest, ExtractWritesWhatTheUpdaterInstalls) {
    Build(RELEASE);
    std::string error;
    ASSERT_TRUE(ExtractUpdater(updater, scratch / "out", nullptr, &error)) << error;
    EXPECT_EQ(ListFolder(scratch / "out"),
              (std::vector<std::string>{"data", "old.dat", "readme.txt"}));
    for (const Carried& file : RELEASE) {
        EXPECT_EQ(ReadWholeFile(scratch / ("out\\" + file.name)), file.data) << file.name;
    }
}

}  // namespace
