#include "package_format.h"

#include <stddef.h>

namespace {

bool IsForbiddenNameByte(unsigned char c) {
    // ':' would name a drive or an alternate data stream.
    return c < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
           c == '|';
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool EqualsIgnoringAsciiCase(const char* bytes, size_t length, const char* upper) {
    for (size_t i = 0; i < length; ++i) {
        char c = bytes[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i] || upper[i] == '\0') return false;
    }
    return upper[length] == '\0';
}

}  // namespace

bool IsDeviceName(const char* component, size_t length) {
    // Windows looks only at the part before the first dot, without trailing spaces.
    size_t stem = 0;
    while (stem < length && component[stem] != '.') ++stem;
    while (stem > 0 && component[stem - 1] == ' ') --stem;
    const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : devices) {
        if (EqualsIgnoringAsciiCase(component, stem, device)) return true;
    }
    return stem == 4 && component[3] >= '0' && component[3] <= '9' &&
           (EqualsIgnoringAsciiCase(component, 3, "COM") ||
            EqualsIgnoringAsciiCase(component, 3, "LPT"));
}

namespace {

bool IsSafeComponent(const char* component, size_t length) {
    if (length == 0) return false;  // leading, doubled or trailing separator
    // Windows drops a trailing dot or space, so "a." would be written as "a" and ". ." as "..".
    const char last = component[length - 1];
    if (last == '.' || last == ' ') return false;
    return !IsDeviceName(component, length);
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
        if (!IsSafeComponent(componentStart, name + i - componentStart)) return false;
        componentStart = name + i + 1;
    }
    // The updater writes its new uninstall list under this name before putting it in place.
    return !EqualsIgnoringAsciiCase(name, length, UNINSTALL_LIST_TEMP_NAME_UPPER);
}

bool LocateEntryData(uint32_t entryCount, const PackageEntry& entry, uint32_t fileSize,
                     uint32_t* fileOffset) {
    // Summed in 64 bits, so a range that wraps around 4 GiB cannot pass for one inside the file.
    const uint64_t start = uint64_t{PackageDataStart(entryCount)} + entry.offset;
    if (start + entry.size > fileSize) return false;
    *fileOffset = static_cast<uint32_t>(start);
    return true;
}
