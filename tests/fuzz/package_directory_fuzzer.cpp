// Feeds arbitrary package headers and directories to the checks that decide what the updater may
// read and where it may write, and holds them to an independent reading of the rules: a safe name
// has its NUL, stays relative and never climbs out; a located range lies inside the file.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "join_path.h"
#include "package_format.h"

namespace {

bool ClimbsOrIsAbsolute(const char* name) {
    if (name[0] == '\\' || name[0] == '/' || strchr(name, ':') != nullptr) return true;
    const char* component = name;
    for (const char* p = name;; ++p) {
        if (*p == '\\' || *p == '/' || *p == '\0') {
            const size_t length = p - component;
            if (length == 0 || (length == 2 && component[0] == '.' && component[1] == '.')) {
                return true;
            }
            if (*p == '\0') return false;
            component = p + 1;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < sizeof(PackageHeader) + sizeof(uint32_t)) return 0;
    uint32_t fileSize;
    memcpy(&fileSize, data, sizeof fileSize);
    data += sizeof fileSize;
    size -= sizeof fileSize;

    PackageHeader header;
    memcpy(&header, data, sizeof header);
    const uint32_t entryCount = header.entryCount % (MAX_PACKAGE_FILES + 1);
    for (uint32_t i = 0; i < entryCount; ++i) {
        const size_t at = sizeof header + i * sizeof(PackageEntry);
        if (at + sizeof(PackageEntry) > size) break;
        PackageEntry entry;
        memcpy(&entry, data + at, sizeof entry);

        if (IsSafeEntryName(entry.name)) {
            if (memchr(entry.name, '\0', sizeof entry.name) == nullptr) abort();
            if (entry.name[0] == '\0' || ClimbsOrIsAbsolute(entry.name)) abort();
            char path[PATH_BUFFER_SIZE];
            if (!JoinPath(path, "C:\\Game", entry.name)) abort();
            if (strncmp(path, "C:\\Game\\", 8) != 0 || strcmp(path + 8, entry.name) != 0) abort();
        }

        uint32_t fileOffset = 0;
        if (LocateEntryData(entryCount, entry, fileSize, &fileOffset)) {
            const uint64_t start = uint64_t{PackageDataStart(entryCount)} + entry.offset;
            if (fileOffset != start || start + entry.size > fileSize) abort();
        }
    }
    return 0;
}
