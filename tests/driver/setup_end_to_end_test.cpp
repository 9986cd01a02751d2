// The real setup.exe, padded and with a package appended, run as the player meets it: the test
// sets the registry, starts the updater, reads every message box it shows, answers it and checks
// the full exit status and what was written.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "expected_texts.h"
#include "game_registry.h"
#include "package_format.h"
#include "updater_file.h"
#include "win32_files.h"

namespace {

// Spelled out here rather than taken from the driver, so that a typo there fails a test.
const char UPDATER_MUTEX[] = "Updater for LanternWaltz is executing.";
const char GAME_MUTEX[] = "Velmor General Interpreter for LanternWaltz is executing.";

const DWORD EXIT_NOT_INSTALLED = 0xFFFFFFFF;
const DWORD EXIT_GAME_RUNNING = 0xFFFFFFFE;
const DWORD EXIT_DECLINED = 0xFFFFFFFD;
const DWORD EXIT_ALREADY_RUNNING = 0xFFFFFFFC;

const std::string LIST_BEFORE("game.exe\nsave\\slot1.dat\n\0", 25);

void ExpectDialog(const ShownDialog& shown, const wchar_t* text, DialogIcon icon) {
    EXPECT_EQ(shown.text, std::wstring(text));
    EXPECT_STREQ(IconName(shown.icon), IconName(icon));
    if (icon == DialogIcon::QUESTION) {
        EXPECT_EQ(shown.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_STREQ(ButtonName(shown.defaultButton), "no");
    } else {
        EXPECT_EQ(shown.buttons, (std::vector<int>{IDOK}));
        EXPECT_STREQ(ButtonName(shown.defaultButton), "ok");
    }
}

class SetupTest : public testing::Test {
  protected:
    ScratchFolder scratch;
    std::string game = scratch / "game";
    std::string updater = scratch / "setup.exe";

    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((game + "\\data").c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(game + "\\game.exe", "old game"));
        ASSERT_TRUE(WriteWholeFile(game + "\\uninst.lst", LIST_BEFORE));
        RemoveProductKey();
        ASSERT_TRUE(SetInstalledFolder(game));
    }
    void TearDown() override { RemoveProductKey(); }

    static std::string Image() {
        const std::string image = ReadWholeFile(ProgramFolder() + "\\setup.exe");
        EXPECT_GT(image.size(), 0u);
        EXPECT_LE(image.size(), PACKAGE_OFFSET);
        return image;
    }
    static std::vector<CarriedFile> Files() {
        return {{"game.exe", "new game, longer than the old one"},
                {"readme.txt", "\x83\x89\x83\x93\r\n"},
                {"data\\stage1.dat", std::string("\0\x01\xFF\x80 stage", 11)}};
    }
    static std::string UpdaterBytes() { return UpdaterFileBytes(Image(), PackageBytes(Files())); }

    // Runs the updater; at every box, checks that nothing has been written before the player
    // answered Yes.
    DriveResult Run(const std::string& updaterBytes, int answer,
                    std::function<void(const ShownDialog&)> onDialog = nullptr) {
        EXPECT_TRUE(WriteWholeFile(updater, updaterBytes));
        const std::map<std::string, std::string> before = SnapshotTree(scratch.Path());
        bool answeredYes = false;
        DriveOptions options;
        options.answer = answer;
        options.onDialog = [&](const ShownDialog& shown) {
            if (!answeredYes) {
                EXPECT_TRUE(SnapshotTree(scratch.Path()) == before) << "written before Yes";
            }
            if (onDialog) onDialog(shown);
            answeredYes |= shown.pressed == IDYES;
        };
        const DriveResult result = DriveProgram("\"" + updater + "\"", options);
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut);
        if (!answeredYes) {
            EXPECT_TRUE(SnapshotTree(scratch.Path()) == before) << "written without Yes";
        }
        return result;
    }
};

// Both names stay taken while the updater talks to the player, so the game, its launcher and its
// uninstaller see it as running.
bool NameIsTaken(const char* mutexName) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName);
    const bool taken = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mutex != nullptr) CloseHandle(mutex);
    return taken;
}

TEST_F(SetupTest, YesWritesEveryFileExtendsTheListAndReportsDone) {
    int boxes = 0;
    const DriveResult result = Run(UpdaterBytes(), IDYES, [&](const ShownDialog&) {
        ++boxes;
        EXPECT_TRUE(NameIsTaken(GAME_MUTEX)) << "at box " << boxes;
        EXPECT_TRUE(NameIsTaken(UPDATER_MUTEX)) << "at box " << boxes;
    });
    EXPECT_EQ(boxes, 2);
    EXPECT_FALSE(NameIsTaken(GAME_MUTEX));
    EXPECT_FALSE(NameIsTaken(UPDATER_MUTEX));
    ASSERT_EQ(result.dialogs.size(), 2u);
    ExpectDialog(result.dialogs[0], EXPECTED_CONFIRM, DialogIcon::QUESTION);
    ExpectDialog(result.dialogs[1], EXPECTED_DONE, DialogIcon::INFORMATION);
    EXPECT_EQ(result.exitCode, UPDATE_OK);
    for (const CarriedFile& file : Files()) {
        EXPECT_EQ(ReadWholeFile(game + "\\" + file.name), file.data) << file.name;
    }
    EXPECT_EQ(ReadWholeFile(game + "\\uninst.lst"),
              LIST_BEFORE.substr(0, 24) + "readme.txt\ndata\\stage1.dat\n" + '\0');
    EXPECT_EQ(ListFolder(scratch.Path()), (std::vector<std::string>{"game", "setup.exe"}));
}

TEST_F(SetupTest, NoEndsWithoutFurtherMessage) {
    const DriveResult result = Run(UpdaterBytes(), IDNO);
    ASSERT_EQ(result.dialogs.size(), 1u);
    ExpectDialog(result.dialogs[0], EXPECTED_CONFIRM, DialogIcon::QUESTION);
    EXPECT_EQ(result.exitCode, EXIT_DECLINED);
}

TEST_F(SetupTest, EnterAtTheQuestionDeclines) {
    const DriveResult result = Run(UpdaterBytes(), ANSWER_ENTER);
    ASSERT_EQ(result.dialogs.size(), 1u);
    EXPECT_EQ(result.exitCode, EXIT_DECLINED);
}

TEST_F(SetupTest, EveryWayOfNotBeingInstalledWarnsAndWritesNothing) {
    const struct {
        const char* situation;
        std::function<bool()> prepare;
    } cases[] = {
        {"missing key", [] { return true; }},
        {"missing value",
         [] { return SetFolderValue("OtherValue", REG_SZ, std::string("C:\\x\0", 5)); }},
        {"REG_EXPAND_SZ", [&] { return SetFolderValue(FOLDER_VALUE, REG_EXPAND_SZ, game + '\0'); }},
        {"REG_BINARY", [&] { return SetFolderValue(FOLDER_VALUE, REG_BINARY, game + '\0'); }},
        {"longer than the buffer",
         [] {
             return SetFolderValue(FOLDER_VALUE, REG_SZ, "C:\\" + std::string(297, 'x') + '\0');
         }},
        // 260 bytes and no NUL: Wine's query then asks for 261 bytes, so this comes out as a value
        // longer than the buffer. A query that returns 260 bytes without a NUL is met by
        // logic_tests' InstalledFolderValue cases.
        {"260 bytes without NUL",
         [] { return SetFolderValue(FOLDER_VALUE, REG_SZ, "C:\\" + std::string(257, 'x')); }},
        // An empty or relative folder would put the files wherever the updater was started.
        {"empty", [] { return SetInstalledFolder(""); }},
        {"relative", [] { return SetInstalledFolder("LanternWaltz"); }},
        {"drive-relative", [] { return SetInstalledFolder("C:LanternWaltz"); }},
    };
    for (const auto& notInstalled : cases) {
        SCOPED_TRACE(notInstalled.situation);
        RemoveProductKey();
        ASSERT_TRUE(notInstalled.prepare());
        const DriveResult result = Run(UpdaterBytes(), IDYES);
        ASSERT_EQ(result.dialogs.size(), 1u);
        ExpectDialog(result.dialogs[0], EXPECTED_NOT_INSTALLED, DialogIcon::WARNING);
        EXPECT_EQ(result.exitCode, EXIT_NOT_INSTALLED);
    }
}

TEST_F(SetupTest, AFolderOf259BytesIsInstalled) {
    ASSERT_TRUE(SetInstalledFolder("C:\\" + std::string(256, 'x')));
    const DriveResult result = Run(UpdaterBytes(), IDNO);
    ASSERT_EQ(result.dialogs.size(), 1u);
    ExpectDialog(result.dialogs[0], EXPECTED_CONFIRM, DialogIcon::QUESTION);
    EXPECT_EQ(result.exitCode, EXIT_DECLINED);
}

// The game mutex is tested before the registry is read: with the game running, even a missing
// installation is reported as the game running.
TEST_F(SetupTest, RunningGameWarnsBeforeTheRegistryIsRead) {
    RemoveProductKey();
    HANDLE gameMutex = CreateMutexA(nullptr, TRUE, GAME_MUTEX);
    ASSERT_NE(gameMutex, nullptr);
    const DriveResult result = Run(UpdaterBytes(), IDYES);
    CloseHandle(gameMutex);
    ASSERT_EQ(result.dialogs.size(), 1u);
    ExpectDialog(result.dialogs[0], EXPECTED_GAME_RUNNING, DialogIcon::WARNING);
    EXPECT_EQ(result.exitCode, EXIT_GAME_RUNNING);
}

TEST_F(SetupTest, ASecondCopyEndsAtOnceAndSilently) {
    DriveResult second;
    const DriveResult first = Run(UpdaterBytes(), IDNO, [&](const ShownDialog&) {
        DriveOptions options;
        options.timeoutMs = 20000;
        second = DriveProgram("\"" + updater + "\"", options);
    });
    EXPECT_TRUE(second.started);
    EXPECT_FALSE(second.timedOut) << "it waited for the first copy";
    EXPECT_TRUE(second.dialogs.empty());
    EXPECT_EQ(second.exitCode, EXIT_ALREADY_RUNNING);
    ASSERT_EQ(first.dialogs.size(), 1u);
    EXPECT_EQ(first.exitCode, EXIT_DECLINED);
}

TEST_F(SetupTest, TheUpdaterMutexIsGivenUpAtTheEnd) {
    EXPECT_EQ(Run(UpdaterBytes(), IDNO).exitCode, EXIT_DECLINED);
    HANDLE updaterMutex = CreateMutexA(nullptr, TRUE, UPDATER_MUTEX);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(updaterMutex);
    HANDLE gameMutex = CreateMutexA(nullptr, TRUE, GAME_MUTEX);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(gameMutex);
}

TEST_F(SetupTest, EveryFailedUpdateShowsItsOwnWarning) {
    const struct {
        const char* situation;
        std::function<std::string()> updaterBytes;
        DWORD status;
        const wchar_t* text;
    } cases[] = {
        {"data cut short",
         [] {
             std::string bytes = UpdaterBytes();
             bytes.resize(bytes.size() - 3);
             return bytes;
         },
         UPDATE_E_READ, EXPECTED_DAMAGED},
        {"17 entries",
         [] {
             std::string bytes = UpdaterBytes();
             PutU32(bytes, ENTRY_COUNT_AT, 17);
             return bytes;
         },
         UPDATE_E_TOO_MANY_FILES, EXPECTED_DAMAGED},
        {"folder that does not exist",
         [] {
             return UpdaterFileBytes(Image(), PackageBytes({{"nothere\\a.dat", "a"}}));
         },
         UPDATE_E_CREATE, EXPECTED_CANNOT_UPDATE},
        {"no uninstall list",
         [&] {
             DeleteFileA((game + "\\uninst.lst").c_str());
             return UpdaterBytes();
         },
         UPDATE_E_UNINSTALL_LIST, EXPECTED_UNINSTALL_LIST_FAILED},
    };
    for (const auto& failure : cases) {
        SCOPED_TRACE(failure.situation);
        const DriveResult result = Run(failure.updaterBytes(), IDYES);
        ASSERT_EQ(result.dialogs.size(), 2u);
        ExpectDialog(result.dialogs[0], EXPECTED_CONFIRM, DialogIcon::QUESTION);
        ExpectDialog(result.dialogs[1], failure.text, DialogIcon::WARNING);
        EXPECT_EQ(result.exitCode, failure.status);
    }
}

}  // namespace
