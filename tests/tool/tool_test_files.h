#pragma once
// Files on the build machine for the tool's tests: a scratch folder, whole-file reads and writes,
// and a small but complete PE image to build updaters from.

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "updpack-test-XXXXXX");
        path_ = mkdtemp(&pattern[0]);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Relative paths of everything below path, sorted; folders end with '/'.
inline std::vector<std::string> ListTree(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
        std::string name = std::filesystem::relative(entry.path(), path).string();
        if (entry.is_directory()) name += '/';
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Bytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
    return bytes;
}

// A PE32 image laid out as a linker does: headers up to 0x200, one section of 0x200 raw bytes
// after them, ending at 0x400 with a non-zero byte so that the end is exact.
const size_t TEST_PE_AT = 0x80;
const size_t TEST_OPTIONAL_AT = TEST_PE_AT + 24;
const size_t TEST_SECTIONS_AT = TEST_OPTIONAL_AT + 224;
const size_t TEST_IMAGE_END = 0x400;

inline void PutU16(std::string& bytes, size_t at, uint16_t value) {
    memcpy(&bytes[at], &value, sizeof value);
}
inline void PutU32At(std::string& bytes, size_t at, uint32_t value) {
    memcpy(&bytes[at], &value, sizeof value);
}

inline std::string TestPeImage() {
    std::string image(TEST_IMAGE_END, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    PutU32At(image, 0x3C, TEST_PE_AT);
    memcpy(&image[TEST_PE_AT], "PE\0\0", 4);
    PutU16(image, TEST_PE_AT + 4, 0x14C);  // i386
    PutU16(image, TEST_PE_AT + 6, 1);      // one section
    PutU16(image, TEST_PE_AT + 20, 224);   // optional header size
    PutU16(image, TEST_OPTIONAL_AT, 0x10B);
    PutU32At(image, TEST_OPTIONAL_AT + 60, 0x200);  // SizeOfHeaders
    PutU32At(image, TEST_OPTIONAL_AT + 92, 16);     // data directories
    memcpy(&image[TEST_SECTIONS_AT], ".text", 5);
    PutU32At(image, TEST_SECTIONS_AT + 16, 0x200);  // SizeOfRawData
    PutU32At(image, TEST_SECTIONS_AT + 20, 0x200);  // PointerToRawData
    for (size_t at = 0x200; at < TEST_IMAGE_END; ++at) image[at] = static_cast<char>(0x90);
    return image;
}
