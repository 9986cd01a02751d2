// The command line as a publisher uses it: the built updpack program run with arguments, its exit
// status and what it prints.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "build_updater.h"
#include "tool_test_files.h"
#include "updater_file.h"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string ShellQuoted(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct CliCase {
    std::vector<std::string> arguments;  // "@" stands for the scratch folder
    int status;
    const char* out;  // a part of stdout
    const char* err;  // a part of stderr; on success stderr must be empty
};

class UpdpackCliTest : public testing::TestWithParam<CliCase> {
  protected:
    ScratchFolder scratch;

    void SetUp() override {
        WriteFile(scratch / "image.exe", TestPeImage());
        WriteFile(scratch / "a.txt", "carried");
        WriteFile(scratch / "good.exe",
                  UpdaterFileBytes(TestPeImage(), PackageBytes({{"a\\x.txt", "carried"}})));
        WriteFile(scratch / "damaged.exe",
                  UpdaterFileBytes(TestPeImage(), PackageBytes({{"a\\..\\..\\x", "carried"}})));
    }

    Outcome Updpack(const std::vector<std::string>& arguments) {
        std::string command = UPDPACK_PROGRAM;
        for (std::string argument : arguments) {
            if (argument[0] == '@') argument = scratch.Path() + argument.substr(1);
            command += " " + ShellQuoted(argument);
        }
        command += " >" + ShellQuoted(scratch / "stdout") + " 2>" + ShellQuoted(scratch / "stderr");
        const int status = system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(scratch / "stdout"),
                ReadFile(scratch / "stderr")};
    }
};

TEST_P(UpdpackCliTest, ExitStatusAndMessages) {
    const Outcome run = Updpack(GetParam().arguments);
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    // An empty expectation means that nothing at all is printed there.
    if (*GetParam().out == '\0') {
        EXPECT_EQ(run.out, "");
    } else {
        EXPECT_NE(run.out.find(GetParam().out), std::string::npos) << run.out;
    }
    if (*GetParam().err == '\0') {
        EXPECT_EQ(run.err, "");
    } else {
        EXPECT_NE(run.err.find(GetParam().err), std::string::npos) << run.err;
    }
    if (run.status == 0) {
        EXPECT_EQ(run.err, "");  // quiet, also no progress bar off a terminal
    } else {
        EXPECT_EQ(run.out, "") << "errors go to stderr only";
    }
    if (run.status == 2) {
        EXPECT_NE(run.err.find("Try 'updpack "), std::string::npos);
    }
}

const std::vector<std::string> BUILD = {"build", "--image", "@/image.exe", "--output", "@/o.exe"};
std::vector<std::string> Build(std::vector<std::string> more) {
    more.insert(more.begin(), BUILD.begin(), BUILD.end());
    return more;
}

const CliCase CLI_CASES[] = {
    {{"--help"}, 0, "usage: updpack COMMAND", ""},
    {{"build", "--help"}, 0, "usage: updpack build --image IMAGE --output OUT --add NAME PATH", ""},
    {{"list", "--help"}, 0, "usage: updpack list [--json] FILE", ""},
    {{"verify", "-h"}, 0, "usage: updpack verify FILE", ""},
    {{"extract", "--help"}, 0, "usage: updpack extract FILE DIR", ""},
    {{}, 2, "", "updpack: no command given"},
    {{"pack"}, 2, "", "unknown command 'pack'"},
    {Build({"--add", "a\\x.txt", "@/a.txt"}), 0, "", ""},
    {Build({"--add", "a\\..\\x", "@/a.txt"}), 1, "",
     "/a.txt: the name \"a\\..\\x\" would be refused by the updater"},
    {Build({"--add", "a", "@/missing.txt"}), 1, "", "/missing.txt: cannot read: No such file"},
    {{"build", "--output", "@/o.exe", "--add", "a", "@/a.txt"}, 2, "", "--image IMAGE is missing"},
    {{"build", "--image", "@/image.exe", "--add", "a", "@/a.txt"},
     2,
     "",
     "--output OUT is missing"},
    {Build({}), 2, "", "no file to carry"},
    {Build({"--add", "a"}), 2, "", "--add needs NAME and PATH"},
    {Build({"--image", "@/image.exe", "--add", "a", "@/a.txt"}), 2, "", "--image given twice"},
    {Build({"--compress"}), 2, "", "unknown argument '--compress'"},
    {{"list", "@/good.exe"}, 0, "  0  \"a\\x.txt\"", ""},
    {{"list", "--json", "@/good.exe"}, 0, "\"entry_count\": 1", ""},
    {{"list"}, 2, "", "expected 1 file argument, got 0"},
    {{"list", "@/image.exe"}, 1, "", "image.exe: the file is 1024 bytes, too short"},
    {{"verify", "@/good.exe"}, 0, "good.exe: OK", ""},
    {{"verify", "@/damaged.exe"}, 1, "", "damaged.exe: 1 problem found"},
    {{"verify", "--strict", "@/good.exe"}, 2, "", "unknown option '--strict'"},
    {{"extract", "@/good.exe", "@/out"}, 0, "", ""},
    {{"extract", "@/good.exe"}, 2, "", "expected 2 file arguments, got 1"},
    {{"extract", "@/damaged.exe", "@/out"}, 1, "", "refused, the name has a \"..\" component"},
};

INSTANTIATE_TEST_SUITE_P(Commands, UpdpackCliTest, testing::ValuesIn(CLI_CASES));

TEST_F(UpdpackCliTest, BuildThenExtractGivesBackTheFile) {
    ASSERT_EQ(Updpack(Build({"--add", "a\\x.txt", "@/a.txt"})).status, 0);
    EXPECT_EQ(ReadFile(scratch / "o.exe"), ReadFile(scratch / "good.exe"));
    ASSERT_EQ(Updpack({"extract", "@/o.exe", "@/out"}).status, 0);
    EXPECT_EQ(ListTree(scratch / "out"), (std::vector<std::string>{"a/", "a/x.txt"}));
    EXPECT_EQ(ReadFile(scratch / "out/a/x.txt"), "carried");
}

}  // namespace
