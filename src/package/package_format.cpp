#include "package_format.h"

namespace {

bool IsForbiddenNameByte(unsigned char c) {
    // ':' would name a drive or an alternate data stream.
    return c < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
           c == '|';
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Windows strips trailing dots and spaces from a component, so "..." and ". ." can behave like
// ".."; a component made only of them is refused.
bool IsDotsAndSpacesOnly(const char* begin, const char* end) {
    for (const char* p = begin; p != end; ++p) {
        if (*p != '.' && *p != ' ') return false;
    }
    return true;
}

}  // namespace

bool IsSafeEntryName(const char (&name)[PACKAGE_NAME_FIELD_SIZE]) {
    uint32_t length = 0;
    while (length < PACKAGE_NAME_FIELD_SIZE && name[length] != '\0') ++length;
    if (length == 0 || length == PACKAGE_NAME_FIELD_SIZE) return false;

    const char* componentStart = name;
    for (uint32_t i = 0; i <= length; ++i) {
        const char c = name[i];
        if (c != '\0' && !IsSeparator(c)) {
            if (IsForbiddenNameByte(static_cast<unsigned char>(c))) return false;
            continue;
        }
        const char* componentEnd = name + i;
        if (componentEnd == componentStart) return false;  // leading, doubled or trailing separator
        if (IsDotsAndSpacesOnly(componentStart, componentEnd)) return false;
        componentStart = componentEnd + 1;
    }
    return true;
}

bool LocateEntryData(uint32_t entryCount, const PackageEntry& entry, uint32_t fileSize,
                     uint32_t* fileOffset) {
    // Summed in 64 bits, so a range that wraps around 4 GiB cannot pass for one inside the file.
    const uint64_t start = uint64_t{PackageDataStart(entryCount)} + entry.offset;
    if (start + entry.size > fileSize) return false;
    *fileOffset = static_cast<uint32_t>(start);
    return true;
}
