// Makes every platform call of a typical update fail in turn, and checks after each run that the
// result is the one that failure calls for, that nothing is leaked, and that no file is lost: every
// target is untouched or complete but the one in hand, and the uninstall list is unchanged or fully
// updated.
#include <gtest/gtest.h>
#include <stdio.h>

#include <map>
#include <string>
#include <vector>

#include "fault_plan.h"
#include "package_format.h"
#include "update_package.h"
#include "updater_file.h"
#include "win32_files.h"

namespace {

struct Target {
    std::string name;
    bool existedBefore;
    std::string before;
    std::string after;
};

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

const std::string LIST_BEFORE("game.exe\n\0", 10);

class FaultInjectionTest : public testing::Test {
  protected:
    ScratchFolder scratch;
    std::string game = scratch / "game";
    std::string own = scratch / "setup.exe";
    // A file larger than the copy buffer, so that reads and writes of one file fail midway too.
    std::vector<Target> targets = {{"a.dat", true, "old a", "new a"},
                                   {"data\\b.pak", true, "old b", Pattern(0x100000 * 2 + 0x8000)},
                                   {"empty", false, "", ""},
                                   {"c.txt", false, "", "ccc"}};
    std::string listAfter = LIST_BEFORE.substr(0, 9) + "a.dat\ndata\\b.pak\nempty\nc.txt\n" + '\0';

    void SetUp() override {
        std::vector<CarriedFile> files;
        for (const Target& t : targets) files.push_back({t.name, t.after});
        ASSERT_TRUE(WriteWholeFile(own, UpdaterFileBytes("MZ", PackageBytes(files))));
    }

    void LayOutGame() {
        ScratchFolder::RemoveTree(game);
        ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((game + "\\data").c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(game + "\\uninst.lst", LIST_BEFORE));
        for (const Target& t : targets) {
            if (t.existedBefore) {
                ASSERT_TRUE(WriteWholeFile(game + "\\" + t.name, t.before));
            }
        }
    }

    // 'A' complete, 'B' untouched, 'X' neither, in directory order.
    std::string TargetStates() {
        std::string states;
        for (const Target& t : targets) {
            const std::string path = game + "\\" + t.name;
            const bool exists = FileExists(path);
            const std::string bytes = ReadWholeFile(path);
            if (exists && bytes == t.after) {
                states += 'A';
            } else if (exists == t.existedBefore && bytes == t.before) {
                states += 'B';
            } else {
                states += 'X';
            }
        }
        return states;
    }
};

bool ConcernsTheList(const FaultCall& call) {
    const std::string& p = call.path;
    auto endsWith = [&p](const std::string& tail) {
        return p.size() >= tail.size() && p.compare(p.size() - tail.size(), tail.size(), tail) == 0;
    };
    return endsWith("\\uninst.lst") || endsWith("\\uninst.tmp");
}

// The result that the failed call (the last one recorded) calls for.
uint32_t ExpectedResult(const std::vector<FaultCall>& calls, const std::string& own) {
    const FaultCall& failed = calls.back();
    if (failed.path == own) return UPDATE_E_READ;
    for (const FaultCall& call : calls) {
        if (ConcernsTheList(call)) return UPDATE_E_UNINSTALL_LIST;
    }
    // Clearing a target's attributes is allowed to fail: the open that follows decides.
    if (failed.operation == "SetFileAttributesA") return UPDATE_OK;
    return UPDATE_E_CREATE;  // creating or writing a target, or the copy buffer
}

bool IsCompleteOrUntouchedButOne(const std::string& states) {
    size_t i = 0;
    while (i < states.size() && states[i] == 'A') ++i;
    if (i < states.size() && states[i] == 'X') ++i;
    while (i < states.size() && states[i] == 'B') ++i;
    return i == states.size();
}

TEST_F(FaultInjectionTest, EveryCallFailsInTurnAndNothingIsLost) {
    LayOutGame();
    StartFaultRun(0, own);
    ASSERT_EQ(ApplyUpdatePackage(game.c_str()), UPDATE_OK);
    ASSERT_EQ(TargetStates(), "AAAA");
    ASSERT_EQ(ReadWholeFile(game + "\\uninst.lst"), listAfter);
    const unsigned callCount = static_cast<unsigned>(FaultCalls().size());

    std::map<std::string, int> failedOperations;
    for (unsigned failAt = 1; failAt <= callCount; ++failAt) {
        LayOutGame();
        StartFaultRun(failAt, own);
        const uint32_t result = ApplyUpdatePackage(game.c_str());
        ASSERT_TRUE(FaultHit());
        const FaultCall failed = FaultCalls().back();
        SCOPED_TRACE("call " + std::to_string(failAt) + ": " + failed.operation + " " +
                     failed.path);
        ++failedOperations[failed.operation];

        EXPECT_EQ(result, ExpectedResult(FaultCalls(), own));
        EXPECT_EQ(OpenHandleCount(), 0);
        EXPECT_EQ(LiveAllocationCount(), 0);

        const std::string states = TargetStates();
        EXPECT_TRUE(IsCompleteOrUntouchedButOne(states)) << states;
        if (result == UPDATE_OK || result == UPDATE_E_UNINSTALL_LIST) {
            EXPECT_EQ(states, "AAAA");
        }
        EXPECT_EQ(ReadWholeFile(game + "\\uninst.lst"),
                  result == UPDATE_OK ? listAfter : LIST_BEFORE);
        EXPECT_FALSE(FileExists(game + "\\uninst.tmp"));
    }

    printf("failure points exercised: %u (", callCount);
    for (const auto& entry : failedOperations) printf(" %s %d", entry.first.c_str(), entry.second);
    printf(" )\n");
    EXPECT_GE(failedOperations.size(), 9u) << "each kind of call failed at least once";
}

}  // namespace
