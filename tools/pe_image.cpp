#include "pe_image.h"

#include <string.h>

namespace {

const size_t DOS_LFANEW_AT = 0x3C;
const size_t FILE_HEADER_SIZE = 20;
const size_t SECTION_HEADER_SIZE = 40;
const size_t SYMBOL_SIZE = 18;
const uint16_t PE32_MAGIC = 0x10B;
const uint16_t PE32_PLUS_MAGIC = 0x20B;
const uint32_t CERTIFICATE_DIRECTORY = 4;

uint16_t U16(const unsigned char* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}
uint32_t U32(const unsigned char* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

bool Fail(std::string* problem, const std::string& text) {
    *problem = text;
    return false;
}

uint64_t Max(uint64_t a, uint64_t b) {
    return a > b ? a : b;
}

}  // namespace

bool FindPeImageEnd(const unsigned char* bytes, size_t size, uint64_t* end, std::string* problem) {
    if (size < DOS_LFANEW_AT + 4 || bytes[0] != 'M' || bytes[1] != 'Z') {
        return Fail(problem, "not a Windows executable: no \"MZ\" signature at its start");
    }
    const uint64_t peAt = U32(bytes + DOS_LFANEW_AT);
    if (peAt + 4 > size) {
        return Fail(problem, "not a Windows executable: the PE header offset " +
                                 std::to_string(peAt) + " lies outside the image");
    }
    if (memcmp(bytes + peAt, "PE\0\0", 4) != 0) {
        return Fail(problem, "not a Windows executable: no \"PE\" signature at offset " +
                                 std::to_string(peAt));
    }
    const uint64_t fileHeaderAt = peAt + 4;
    if (fileHeaderAt + FILE_HEADER_SIZE > size)
        return Fail(problem, "the PE file header is cut short");
    const unsigned char* fileHeader = bytes + fileHeaderAt;
    const uint32_t sectionCount = U16(fileHeader + 2);
    const uint32_t symbolTableAt = U32(fileHeader + 8);
    const uint32_t symbolCount = U32(fileHeader + 12);
    const uint32_t optionalHeaderSize = U16(fileHeader + 16);

    const uint64_t optionalAt = fileHeaderAt + FILE_HEADER_SIZE;
    const uint64_t sectionsAt = optionalAt + optionalHeaderSize;
    if (optionalHeaderSize < 64 ||
        sectionsAt + uint64_t{sectionCount} * SECTION_HEADER_SIZE > size) {
        return Fail(problem, "the PE optional header or section table is cut short");
    }
    const unsigned char* optional = bytes + optionalAt;
    uint64_t imageEnd = U32(optional + 60);  // SizeOfHeaders, at the same place in PE32 and PE32+

    for (uint32_t i = 0; i < sectionCount; ++i) {
        const unsigned char* section = bytes + sectionsAt + i * SECTION_HEADER_SIZE;
        const uint32_t rawSize = U32(section + 16);
        if (rawSize != 0) imageEnd = Max(imageEnd, uint64_t{U32(section + 20)} + rawSize);
    }

    // Unstripped images carry symbols after the sections; the string table's size is its first
    // four bytes.
    if (symbolTableAt != 0) {
        const uint64_t stringsAt = symbolTableAt + uint64_t{symbolCount} * SYMBOL_SIZE;
        uint64_t symbolsEnd = stringsAt;
        if (stringsAt + 4 <= size) symbolsEnd += U32(bytes + stringsAt);
        imageEnd = Max(imageEnd, symbolsEnd);
    }

    // The certificate table is the one data directory that holds a file offset, not an address.
    const uint16_t magic = U16(optional);
    const uint64_t directoriesAt = magic == PE32_PLUS_MAGIC ? 112 : magic == PE32_MAGIC ? 96 : 0;
    if (directoriesAt != 0 && directoriesAt <= optionalHeaderSize) {
        const uint32_t directoryCount = U32(optional + directoriesAt - 4);
        const uint64_t certificateAt = directoriesAt + CERTIFICATE_DIRECTORY * 8;
        if (directoryCount > CERTIFICATE_DIRECTORY && certificateAt + 8 <= optionalHeaderSize) {
            const uint32_t certificateSize = U32(optional + certificateAt + 4);
            if (certificateSize != 0) {
                imageEnd = Max(imageEnd, uint64_t{U32(optional + certificateAt)} + certificateSize);
            }
        }
    }
    *end = imageEnd;
    return true;
}
