// Building updater files: the exact layout, round trips through list, verify and extract, every
// refusal, and reproducible output.
#include "build_updater.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "extract_updater.h"
#include "platform.h"
#include "stream_copy.h"
#include "tool_test_files.h"
#include "updater_directory.h"
#include "updater_file.h"
#include "verify_updater.h"

namespace {

class BuildUpdaterTest : public testing::Test {
  protected:
    ScratchFolder scratch;
    std::string image = scratch / "setup_image.exe";
    std::string output = scratch / "out/setup.exe";

    void SetUp() override {
        WriteFile(image, TestPeImage());
        std::filesystem::create_directory(scratch / "out");
    }

    // Writes each file's data to an input of its own and returns the inputs.
    std::vector<PackageInput> Inputs(const std::vector<CarriedFile>& files) {
        std::vector<PackageInput> inputs;
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string path = scratch / ("input" + std::to_string(i));
            WriteFile(path, files[i].data);
            inputs.push_back({files[i].name, path});
        }
        return inputs;
    }

    bool Build(const std::vector<PackageInput>& inputs, std::string* error) {
        return BuildUpdater(image, inputs, output, nullptr, error);
    }
    void ExpectBuilt(const std::vector<CarriedFile>& files) {
        std::string error;
        ASSERT_TRUE(Build(Inputs(files), &error)) << error;
        EXPECT_EQ(error, "");
    }
    std::vector<std::string> OutputFolder() { return ListTree(scratch / "out"); }
};

const std::vector<CarriedFile> RELEASE = {
    {"old.dat", "new version"},
    {"data\\x.pak", Bytes(5000, 1)},
    {"empty.txt", ""},
    {"readme.txt", "hello\r\n"},
};

TEST_F(BuildUpdaterTest, LaysOutImagePaddingHeaderDirectoryAndData) {
    ExpectBuilt(RELEASE);
    // The support header writes the same layout independently, field by field.
    EXPECT_EQ(ReadFile(output), UpdaterFileBytes(TestPeImage(), PackageBytes(RELEASE)));
    EXPECT_EQ(OutputFolder(), std::vector<std::string>{"setup.exe"});
}

TEST_F(BuildUpdaterTest, ListVerifyAndExtractGiveBackTheInputs) {
    std::vector<CarriedFile> files = RELEASE;
    files.push_back({"big\\bin.dat", Bytes(3 * COPY_BUFFER_SIZE + 17, 5)});  // several buffers
    ExpectBuilt(files);

    EXPECT_EQ(VerifyUpdater(output), std::vector<std::string>{});

    std::unique_ptr<FILE, FileCloser> file(OpenFile(output, "rb"));
    UpdaterDirectory directory;
    std::string error;
    ASSERT_TRUE(ReadUpdaterDirectory(file.get(), output, &directory, &error)) << error;
    ASSERT_EQ(directory.entries.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(std::string(directory.entries[i].name), files[i].name);
        EXPECT_EQ(directory.entries[i].size, files[i].data.size());
    }

    const std::string folder = scratch / "extracted";
    ASSERT_TRUE(ExtractUpdater(output, folder, nullptr, &error)) << error;
    EXPECT_EQ(ListTree(folder),
              (std::vector<std::string>{"big/", "big/bin.dat", "data/", "data/x.pak", "empty.txt",
                                        "old.dat", "readme.txt"}));
    for (const CarriedFile& carried : files) {
        std::string path = carried.name;
        std::replace(path.begin(), path.end(), '\\', '/');
        EXPECT_EQ(ReadFile(folder + "/" + path), carried.data) << carried.name;
    }
}

TEST_F(BuildUpdaterTest, SameInputsGiveTheSameBytes) {
    ExpectBuilt(RELEASE);
    const std::string first = ReadFile(output);
    std::filesystem::remove(output);
    ExpectBuilt(RELEASE);
    EXPECT_EQ(ReadFile(output), first);
}

TEST_F(BuildUpdaterTest, ReplacesAnEarlierOutput) {
    WriteFile(output, "an older build that is longer than nothing");
    ExpectBuilt({{"a.dat", "a"}});
    EXPECT_EQ(ReadFile(output), UpdaterFileBytes(TestPeImage(), PackageBytes({{"a.dat", "a"}})));
    EXPECT_EQ(OutputFolder(), std::vector<std::string>{"setup.exe"});
}

TEST_F(BuildUpdaterTest, SixteenFilesAndAnImageOfExactly65536BytesFit) {
    std::string full = TestPeImage();
    full.resize(PACKAGE_OFFSET, '\0');
    WriteFile(image, full);
    std::vector<CarriedFile> files;
    for (int i = 0; i < 16; ++i) files.push_back({"f" + std::to_string(i), Bytes(i, i)});
    ExpectBuilt(files);
    EXPECT_EQ(ReadFile(output), UpdaterFileBytes(TestPeImage(), PackageBytes(files)));
}

class BuildRefusalTest;

struct Refusal {
    const char* what;
    std::function<std::vector<PackageInput>(BuildRefusalTest&, ScratchFolder&)> prepare;
    const char* message;  // part of the error
};

class BuildRefusalTest : public BuildUpdaterTest, public testing::WithParamInterface<Refusal> {
  public:
    using BuildUpdaterTest::Inputs;
    std::string& Image() { return image; }
};

TEST_P(BuildRefusalTest, NamesTheProblemAndLeavesNoOutput) {
    const std::vector<PackageInput> inputs = GetParam().prepare(*this, scratch);
    std::string error;
    EXPECT_FALSE(Build(inputs, &error));
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
    EXPECT_EQ(OutputFolder(), std::vector<std::string>{});
}

void SetImage(ScratchFolder& scratch, const std::string& bytes) {
    WriteFile(scratch / "setup_image.exe", bytes);
}

// Inputs of the given sizes, made without writing their bytes.
std::vector<PackageInput> SparseInputs(ScratchFolder& scratch, std::vector<uint64_t> sizes) {
    std::vector<PackageInput> inputs;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const std::string path = scratch / ("sparse" + std::to_string(i));
        WriteFile(path, "");
        std::filesystem::resize_file(path, sizes[i]);
        inputs.push_back({"s" + std::to_string(i), path});
    }
    return inputs;
}

const uint64_t LIMIT = MAX_UPDATER_FILE_SIZE + 1;  // 2 GiB

const Refusal REFUSALS[] = {
    {"ImageLargerThanTheSpaceBeforeThePackage",
     [](BuildRefusalTest& t, ScratchFolder& s) {
         std::string big = TestPeImage();
         big.resize(PACKAGE_OFFSET + 1, '\0');
         SetImage(s, big);
         return t.Inputs({{"a", "a"}});
     },
     "setup_image.exe: the image is 65537 bytes, larger than the 65536 bytes"},
    {"ImageNotAnExecutable",
     [](BuildRefusalTest& t, ScratchFolder& s) {
         SetImage(s, "plain text, not a program");
         return t.Inputs({{"a", "a"}});
     },
     "setup_image.exe: not a Windows executable"},
    {"ImageCutShort",
     [](BuildRefusalTest& t, ScratchFolder& s) {
         SetImage(s, TestPeImage().substr(0, TEST_IMAGE_END - 1));
         return t.Inputs({{"a", "a"}});
     },
     "the image is cut short: its headers place data up to offset 1024"},
    {"ImageWithDataAfterItsEnd",
     [](BuildRefusalTest& t, ScratchFolder& s) {
         SetImage(s, TestPeImage() + std::string(10, '\0') + "x");
         return t.Inputs({{"a", "a"}});
     },
     "byte 1034 after the executable's end (offset 1024) is not zero"},
    {"ImageMissing",
     [](BuildRefusalTest& t, ScratchFolder& s) {
         std::filesystem::remove(s / "setup_image.exe");
         return t.Inputs({{"a", "a"}});
     },
     "setup_image.exe: cannot read the image: No such file"},
    {"InputMissing",
     [](BuildRefusalTest&, ScratchFolder& s) {
         return std::vector<PackageInput>{{"a", s / "missing.dat"}};
     },
     "missing.dat: cannot read: No such file"},
    {"InputIsAFolder",
     [](BuildRefusalTest&, ScratchFolder& s) {
         std::filesystem::create_directory(s / "folder");
         return std::vector<PackageInput>{{"a", s / "folder"}};
     },
     "folder: cannot read: Is a directory"},
    {"SeventeenFiles",
     [](BuildRefusalTest& t, ScratchFolder&) {
         std::vector<CarriedFile> files;
         for (int i = 0; i < 17; ++i) files.push_back({"f" + std::to_string(i), "x"});
         return t.Inputs(files);
     },
     "out/setup.exe: too many files: 17; an updater carries at most 16"},
    {"EmptyName",
     [](BuildRefusalTest& t, ScratchFolder&) {
         return t.Inputs({{"", "x"}});
     },
     "input0: the name is empty"},
    {"NameOf16Bytes",
     [](BuildRefusalTest& t, ScratchFolder&) {
         return t.Inputs({{"sixteen.chars.xx", "x"}});
     },
     "\"sixteen.chars.xx\" is 16 bytes long; at most 15 bytes fit"},
    {"NameLeavingTheFolder",
     [](BuildRefusalTest& t, ScratchFolder&) {
         return t.Inputs({{"..\\game.exe", "x"}});
     },
     "the name \"..\\game.exe\" would be refused by the updater: it has a \"..\" component"},
    {"AbsoluteName",
     [](BuildRefusalTest& t, ScratchFolder&) {
         return t.Inputs({{"\\windows\\x", "x"}});
     },
     "starts with a backslash or slash, so it is absolute"},
    {"DriveLetter",
     [](BuildRefusalTest& t, ScratchFolder&) {
         return t.Inputs({{"C:\\x.dat", "x"}});
     },
     "contains a colon"},
    {"NameTwiceInAnotherCase",
     [](BuildRefusalTest& t, ScratchFolder&) {
         return t.Inputs({{"Data\\A.pak", "1"}, {"b", "2"}, {"data/a.PAK", "3"}});
     },
     "input2: the name \"data/a.PAK\" is already given to"},
    {"NameUsedAsAFileAndAsAFolder",
     [](BuildRefusalTest& t, ScratchFolder&) {
         return t.Inputs({{"data\\a.pak", "1"}, {"DATA", "2"}});
     },
     "input1: the name \"DATA\" clashes with \"data\\a.pak\" of"},
    {"ResultOfExactly2GiB",
     [](BuildRefusalTest&, ScratchFolder& s) {
         return SparseInputs(s, {1, LIMIT - PackageDataStart(2) - 1});
     },
     "the updater would be 2147483648 bytes; it must stay below 2 GiB"},
    {"InputThatWouldWrapAround4GiB",
     [](BuildRefusalTest&, ScratchFolder& s) { return SparseInputs(s, {1ull << 32}); },
     "sparse0: the file is 4294967296 bytes"},
};

INSTANTIATE_TEST_SUITE_P(Refusals, BuildRefusalTest, testing::ValuesIn(REFUSALS),
                         [](const testing::TestParamInfo<Refusal>& info) {
                             return std::string(info.param.what);
                         });

TEST_F(BuildUpdaterTest, RefusalLeavesAnEarlierOutputAsItWas) {
    WriteFile(output, "the previous release");
    std::string error;
    EXPECT_FALSE(Build(Inputs({{"..\\x", "x"}}), &error));
    EXPECT_EQ(ReadFile(output), "the previous release");
    EXPECT_EQ(OutputFolder(), std::vector<std::string>{"setup.exe"});
}

TEST_F(BuildUpdaterTest, UnwritableOutputLeavesNoTemporaryFile) {
    std::filesystem::create_directory(output);  // a folder where the file should go
    std::string error;
    EXPECT_FALSE(Build(Inputs({{"a", "a"}}), &error));
    EXPECT_NE(error.find("setup.exe: cannot put the finished file in place"), std::string::npos)
        << error;
    EXPECT_EQ(OutputFolder(), std::vector<std::string>{"setup.exe/"});
}

}  // namespace
