#include "pe_image.h"

#include <gtest/gtest.h>

#include <functional>

#include "tool_test_files.h"

namespace {

uint64_t ImageEnd(const std::string& image, std::string* problem) {
    uint64_t end = 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(image.data());
    return FindPeImageEnd(bytes, image.size(), &end, problem) ? end : 0;
}

struct ImageCase {
    const char* what;
    std::function<void(std::string&)> change;
    uint64_t end;         // 0 when refused
    const char* problem;  // part of the refusal
};

class PeImageTest : public testing::TestWithParam<ImageCase> {};

TEST_P(PeImageTest, FindsTheEndOrNamesTheProblem) {
    std::string image = TestPeImage();
    GetParam().change(image);
    std::string problem;
    EXPECT_EQ(ImageEnd(image, &problem), GetParam().end);
    EXPECT_NE(problem.find(GetParam().problem), std::string::npos) << problem;
}

const ImageCase IMAGE_CASES[] = {
    {"Linked", [](std::string&) {}, TEST_IMAGE_END, ""},
    {"SectionsDecideTheEnd",
     [](std::string& image) {
         PutU32At(image, TEST_SECTIONS_AT + 16, 0x300);
         image.resize(0x600);
     },
     0x500, ""},
    {"EmptySectionsDoNotCount",
     [](std::string& image) {
         PutU32At(image, TEST_SECTIONS_AT + 20, 0x9000);
         PutU32At(image, TEST_SECTIONS_AT + 16, 0);
     },
     0x200, ""},
    {"SymbolTableWithItsStrings",
     [](std::string& image) {
         image.resize(0x600);
         PutU32At(image, TEST_PE_AT + 12, 0x400);  // PointerToSymbolTable
         PutU32At(image, TEST_PE_AT + 16, 2);      // two symbols of 18 bytes
         PutU32At(image, 0x400 + 36, 10);          // string table of 10 bytes
     },
     0x400 + 36 + 10, ""},
    {"CertificateTable",
     [](std::string& image) {
         PutU32At(image, TEST_OPTIONAL_AT + 96 + 32, 0x400);
         PutU32At(image, TEST_OPTIONAL_AT + 96 + 36, 0x80);
     },
     0x480, ""},
    {"NoMz", [](std::string& image) { image[0] = 'Z'; }, 0, "no \"MZ\""},
    {"TooShortForTheDosHeader", [](std::string& image) { image.resize(0x3C); }, 0, "no \"MZ\""},
    {"PeOffsetOutside", [](std::string& image) { PutU32At(image, 0x3C, 0x3FE); }, 0,
     "offset 1022 lies outside"},
    {"PeOffsetHuge", [](std::string& image) { PutU32At(image, 0x3C, 0xFFFFFFFE); }, 0,
     "lies outside"},
    {"NoPeSignature", [](std::string& image) { image[TEST_PE_AT + 1] = 'X'; }, 0,
     "no \"PE\" signature at offset 128"},
    {"SectionTableCutShort", [](std::string& image) { PutU16(image, TEST_PE_AT + 6, 20); }, 0,
     "cut short"},
};

INSTANTIATE_TEST_SUITE_P(Images, PeImageTest, testing::ValuesIn(IMAGE_CASES),
                         [](const testing::TestParamInfo<ImageCase>& info) {
                             return std::string(info.param.what);
                         });

}  // namespace
