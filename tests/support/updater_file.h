#pragma once
// Builds updater files byte by byte, so that a test can also lay out damaged ones.

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "package_format.h"

struct CarriedFile {
    std::string name;
    std::string data;
};

inline void PutU32(std::string& bytes, size_t at, uint32_t value) {
    memcpy(&bytes[at], &value, sizeof value);
}

// The package: header, directory, then each file's data in directory order.
inline std::string PackageBytes(const std::vector<CarriedFile>& files) {
    std::string bytes(sizeof(PackageHeader) + files.size() * sizeof(PackageEntry), '\0');
    memcpy(&bytes[0], PACKAGE_MAGIC, sizeof PACKAGE_MAGIC);
    PutU32(bytes, 12, static_cast<uint32_t>(files.size()));
    uint32_t offset = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const size_t entry = sizeof(PackageHeader) + i * sizeof(PackageEntry);
        memcpy(&bytes[entry], files[i].name.data(),
               std::min(files[i].name.size(), size_t{PACKAGE_NAME_FIELD_SIZE}));
        PutU32(bytes, entry + 16, offset);
        PutU32(bytes, entry + 20, static_cast<uint32_t>(files[i].data.size()));
        offset += static_cast<uint32_t>(files[i].data.size());
    }
    for (const CarriedFile& file : files) bytes += file.data;
    return bytes;
}

// The image padded with zeros to the package offset, then the package.
inline std::string UpdaterFileBytes(const std::string& image, const std::string& package) {
    std::string bytes = image;
    bytes.resize(PACKAGE_OFFSET, '\0');
    return bytes + package;
}

// File offsets of the fields of directory entry i.
inline size_t EntryNameAt(size_t i) {
    return PACKAGE_OFFSET + 16 + i * 32;
}
inline size_t EntryOffsetAt(size_t i) {
    return EntryNameAt(i) + 16;
}
inline size_t EntrySizeAt(size_t i) {
    return EntryNameAt(i) + 20;
}
const size_t ENTRY_COUNT_AT = PACKAGE_OFFSET + 12;
