// Hostile and damaged updater files, each run through the real setup.exe as the player meets it:
// the player answers Yes, and the test checks the full exit status, the one box that follows the
// question, that nothing was written outside the game folder (nor anywhere a hostile name points
// to), which of the carried files were written and that "uninst.lst" is kept byte for byte.
#include <gtest/gtest.h>
#include <stdio.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "expected_texts.h"
#include "game_registry.h"
#include "package_format.h"
#include "updater_file.h"
#include "win32_files.h"

namespace {

const std::string LIST_BEFORE("game.exe\nsave\\slot1.dat\n\0", 25);

// Every status that setup.exe documents; anything else (an exception code such as 0xC0000005)
// means it crashed.
const std::set<DWORD> DOCUMENTED_STATUSES = {UPDATE_OK,
                                             0xFFFFFFFF,
                                             0xFFFFFFFE,
                                             0xFFFFFFFD,
                                             0xFFFFFFFC,
                                             UPDATE_E_READ,
                                             UPDATE_E_TOO_MANY_FILES,
                                             UPDATE_E_CREATE,
                                             UPDATE_E_UNINSTALL_LIST};

// The sound package that each case damages: three entries, so that a fault in the second shows
// whether the first stays written and the third is left alone.
const std::vector<CarriedFile> CARRIED = {{"first", "first data"},
                                          {"second", "second data, longer"},
                                          {"third", std::string("third\0data\xFF\x80", 11)}};
const uint32_t DATA_START = PackageDataStart(3);
const uint32_t FIRST_END = DATA_START + static_cast<uint32_t>(CARRIED[0].data.size());
const uint32_t SECOND_SIZE = static_cast<uint32_t>(CARRIED[1].data.size());
const uint32_t PACKAGE_END =
    FIRST_END + SECOND_SIZE + static_cast<uint32_t>(CARRIED[2].data.size());

// The base name that every escaping name tries to write, unlikely to exist anywhere by chance.
const char ESCAPE_BASE[] = "lwesc";

// One line per path that is missing, unexpected or different; empty when the two agree.
std::string Differences(const std::map<std::string, std::string>& expected,
                        const std::map<std::string, std::string>& actual) {
    std::string lines;
    for (const auto& entry : expected) {
        const auto found = actual.find(entry.first);
        if (found == actual.end()) {
            lines += "missing: " + entry.first + "\n";
        } else if (found->second != entry.second) {
            lines += "changed: " + entry.first + " (" + std::to_string(entry.second.size()) +
                     " bytes expected, " + std::to_string(found->second.size()) + " found)\n";
        }
    }
    for (const auto& entry : actual) {
        if (expected.count(entry.first) == 0) lines += "unexpected: " + entry.first + "\n";
    }
    return lines;
}

std::string FullPath(const std::string& path) {
    char full[2 * MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length != 0 && length < sizeof full ? std::string(full, length) : std::string();
}

// Makes a folder the current one for as long as the object lives, as Explorer starts a program in
// its own folder. Rooted and drive-relative names resolve from it: "\x" to the root of C:, "C:x"
// into the folder itself, and under Wine "/x" to the root of the host's file system (drive Z:).
class CurrentFolder {
  public:
    explicit CurrentFolder(const std::string& folder) {
        GetCurrentDirectoryA(sizeof previous_, previous_);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryA(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

  private:
    char previous_[MAX_PATH] = "";
};

using Damage = std::function<void(std::string& updater)>;

Damage CutTo(size_t size) {
    return [size](std::string& updater) { updater.resize(size); };
}

Damage Put(size_t at, uint32_t value) {
    return [at, value](std::string& updater) { PutU32(updater, at, value); };
}

Damage PutBoth(size_t at, uint32_t value, size_t otherAt, uint32_t otherValue) {
    return [=](std::string& updater) {
        PutU32(updater, at, value);
        PutU32(updater, otherAt, otherValue);
    };
}

// The second entry's name field, padded with NULs to its 16 bytes.
Damage SecondName(const std::string& name) {
    return [name](std::string& updater) {
        std::string field = name;
        field.resize(PACKAGE_NAME_FIELD_SIZE, '\0');
        updater.replace(EntryNameAt(1), PACKAGE_NAME_FIELD_SIZE, field);
    };
}

Damage Nothing() {
    return [](std::string&) {};
}

using Prepare = std::function<bool(const std::string& game)>;

Prepare ListOf(const std::string& bytes) {
    return
        [bytes](const std::string& game) { return WriteWholeFile(game + "\\uninst.lst", bytes); };
}

struct HostileCase {
    const char* what;
    Damage damage;
    DWORD status;
    size_t entriesWritten;  // how many of CARRIED, from the first, end up written
    std::string escapingName = "";
    Prepare prepareGame = nullptr;
};

const wchar_t* ExpectedText(DWORD status) {
    return status == UPDATE_E_UNINSTALL_LIST ? EXPECTED_UNINSTALL_LIST_FAILED : EXPECTED_DAMAGED;
}

void ExpectWarningBox(const ShownDialog& shown, const wchar_t* text) {
    EXPECT_EQ(Utf8(shown.text), Utf8(text));
    EXPECT_STREQ(IconName(shown.icon), "warning");
    EXPECT_EQ(shown.buttons, (std::vector<int>{IDOK}));
}

class HostileUpdaterTest : public testing::Test {
  protected:
    void TearDown() override { RemoveProductKey(); }

    static std::string SoundUpdater() {
        const std::string image = ReadWholeFile(ProgramFolder() + "\\setup.exe");
        EXPECT_GT(image.size(), 0u);
        EXPECT_LE(image.size(), PACKAGE_OFFSET);
        return UpdaterFileBytes(image, PackageBytes(CARRIED));
    }

    void RunCase(const HostileCase& hostile, const std::string& sound) {
        ScratchFolder scratch;
        const std::string game = scratch / "game";
        ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
        // Lets "a\..\..\x" climb through a folder that exists.
        ASSERT_TRUE(CreateDirectoryA((game + "\\a").c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(game + "\\game.exe", "old game"));
        ASSERT_TRUE(WriteWholeFile(game + "\\uninst.lst", LIST_BEFORE));
        if (hostile.prepareGame) {
            ASSERT_TRUE(hostile.prepareGame(game));
        }
        ASSERT_TRUE(SetInstalledFolder(game));

        std::string updater = sound;
        hostile.damage(updater);
        ASSERT_TRUE(WriteWholeFile(scratch / "setup.exe", updater));
        const CurrentFolder current(scratch.Path());

        // Where an escaping name could land: beside the scratch folder, at the root of C:, and
        // wherever the platform resolves it, alone or joined to the game folder.
        std::vector<std::string> escapes = {FullPath(scratch.Path() + "\\..\\" + ESCAPE_BASE),
                                            std::string("C:\\") + ESCAPE_BASE};
        if (!hostile.escapingName.empty()) {
            escapes.push_back(FullPath(hostile.escapingName));
            escapes.push_back(FullPath(game + "\\" + hostile.escapingName));
        }
        for (const std::string& place : escapes) {
            ASSERT_FALSE(FileExists(place)) << place << " exists already";
        }

        std::map<std::string, std::string> expected = SnapshotTree(scratch.Path());
        for (size_t i = 0; i < hostile.entriesWritten; ++i) {
            expected["game\\" + CARRIED[i].name] = CARRIED[i].data;
        }

        DriveOptions options;
        options.answer = IDYES;
        options.timeoutMs = 30000;
        const DriveResult result = DriveProgram("\"" + scratch / "setup.exe" + "\"", options);
        ASSERT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut);

        EXPECT_TRUE(DOCUMENTED_STATUSES.count(result.exitCode) != 0)
            << "crashed: " << ReportText(result);
        EXPECT_EQ(result.exitCode, hostile.status) << ReportText(result);
        ASSERT_EQ(result.dialogs.size(), 2u) << ReportText(result);
        EXPECT_EQ(Utf8(result.dialogs[0].text), Utf8(EXPECTED_CONFIRM));
        ExpectWarningBox(result.dialogs[1], ExpectedText(hostile.status));

        // The whole scratch folder: the game folder's parent and the game folder, with the list.
        EXPECT_EQ(Differences(expected, SnapshotTree(scratch.Path())), "");
        for (const std::string& place : escapes) {
            EXPECT_FALSE(FileExists(place)) << "written outside: " << place;
            DeleteFileA(place.c_str());
        }
    }
};

TEST_F(HostileUpdaterTest, EveryHostileFileEndsWithItsDocumentedBoxAndWritesNothingOutside) {
    const std::string sound = SoundUpdater();
    const size_t imageSize = ReadWholeFile(ProgramFolder() + "\\setup.exe").size();
    ASSERT_EQ(sound.size(), PACKAGE_END);

    const uint32_t damaged = UPDATE_E_READ;
    const uint32_t tooMany = UPDATE_E_TOO_MANY_FILES;
    const uint32_t badList = UPDATE_E_UNINSTALL_LIST;
    const std::string escape = ESCAPE_BASE;
    const HostileCase cases[] = {
        // Cut short at every region boundary and inside every region.
        {"cut at the end of the image", CutTo(imageSize), damaged, 0},
        {"cut inside the padding below 65536", CutTo(PACKAGE_OFFSET - 1), damaged, 0},
        {"cut at 65536", CutTo(PACKAGE_OFFSET), damaged, 0},
        {"cut inside the magic", CutTo(PACKAGE_OFFSET + 5), damaged, 0},
        {"cut inside the count", CutTo(PACKAGE_OFFSET + 14), damaged, 0},
        {"cut after the header", CutTo(PACKAGE_OFFSET + 16), damaged, 0},
        {"cut inside the first entry", CutTo(PACKAGE_OFFSET + 16 + 20), damaged, 0},
        {"cut inside the last entry", CutTo(DATA_START - 1), damaged, 0},
        {"cut after the directory", CutTo(DATA_START), damaged, 0},
        {"cut inside the first entry's data", CutTo(DATA_START + 5), damaged, 0},
        {"cut after the first entry's data", CutTo(FIRST_END), damaged, 1},
        {"cut inside the last entry's data", CutTo(PACKAGE_END - 1), damaged, 2},

        // Counts.
        {"count 17", Put(ENTRY_COUNT_AT, 17), tooMany, 0},
        {"count 0xFFFFFFFF", Put(ENTRY_COUNT_AT, 0xFFFFFFFF), tooMany, 0},
        {"count whose directory size wraps to one entry", Put(ENTRY_COUNT_AT, 0x08000001), tooMany,
         0},
        {"count 16, directory longer than the file", Put(ENTRY_COUNT_AT, 16), damaged, 0},

        // Ranges of the second entry that overflow 32 bits or leave the file.
        {"offset 0xFFFFFFF0", Put(EntryOffsetAt(1), 0xFFFFFFF0), damaged, 1},
        {"size 0xFFFFFFFF", Put(EntrySizeAt(1), 0xFFFFFFFF), damaged, 1},
        {"offset + size wrapping to the data start",
         PutBoth(EntryOffsetAt(1), 0x80000000, EntrySizeAt(1), 0x80000000), damaged, 1},
        {"offset wrapping the file position to 0 (the image)",
         Put(EntryOffsetAt(1), 0 - DATA_START), damaged, 1},
        {"data ending one byte past the file", Put(EntrySizeAt(1), PACKAGE_END - FIRST_END + 1),
         damaged, 1},

        // Names of the second entry.
        {"name of 16 bytes without a NUL", SecondName("sixteen_bytes_xx"), damaged, 1},
        {"empty name", SecondName(""), damaged, 1},
        {"..\\x", SecondName("..\\" + escape), damaged, 1, "..\\" + escape},
        {"a\\..\\..\\x", SecondName("a\\..\\..\\" + escape), damaged, 1, "a\\..\\..\\" + escape},
        {"a/../../x", SecondName("a/../../" + escape), damaged, 1, "a/../../" + escape},
        {"C:\\x", SecondName("C:\\" + escape), damaged, 1, "C:\\" + escape},
        {"\\x", SecondName("\\" + escape), damaged, 1, "\\" + escape},
        {"/x", SecondName("/" + escape), damaged, 1, "/" + escape},
        {"C:x", SecondName("C:" + escape), damaged, 1, "C:" + escape},

        // Bad uninstall lists: every file is written, the list is kept as it was.
        {"list of 0 bytes", Nothing(), badList, 3, "", ListOf("")},
        {"list of 2 MiB", Nothing(), badList, 3, "", ListOf(std::string(0x200000 - 1, 'x') + '\0')},
        {"list without its final NUL", Nothing(), badList, 3, "", ListOf("game.exe\nsave.dat\n")},
        {"list with a NUL in the middle", Nothing(), badList, 3, "",
         ListOf(std::string("game.exe\n\0save.dat\n\0", 20))},
        {"list filling the whole 1 MiB buffer", Nothing(), badList, 3, "",
         ListOf(std::string(UNINSTALL_LIST_CAPACITY - 1, 'x') + '\0')},
        {"list that is a folder", Nothing(), badList, 3, "",
         [](const std::string& game) {
             return DeleteFileA((game + "\\uninst.lst").c_str()) &&
                    CreateDirectoryA((game + "\\uninst.lst").c_str(), nullptr);
         }},
    };

    int run = 0;
    for (const HostileCase& hostile : cases) {
        SCOPED_TRACE(hostile.what);
        RunCase(hostile, sound);
        ++run;
    }
    printf("hostile cases run through setup.exe: %d\n", run);
}

}  // namespace
