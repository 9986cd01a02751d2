#include "updater_directory.h"

#include <errno.h>
#include <string.h>

#include "platform.h"

namespace {

bool Fail(std::string* error, const std::string& text) {
    *error = text;
    return false;
}

}  // namespace

bool ReadUpdaterDirectory(FILE* file, const std::string& path, UpdaterDirectory* directory,
                          std::string* error) {
    if (!GetFileSize64(file, &directory->fileSize)) {
        return Fail(error, path + ": cannot read: " + strerror(errno));
    }
    const uint64_t headerEnd = PACKAGE_OFFSET + sizeof(PackageHeader);
    if (directory->fileSize < headerEnd) {
        return Fail(error, path + ": the file is " + std::to_string(directory->fileSize) +
                               " bytes, too short to hold the package header that ends at " +
                               std::to_string(headerEnd));
    }
    if (!SeekFile64(file, PACKAGE_OFFSET) ||
        fread(&directory->header, sizeof directory->header, 1, file) != 1) {
        return Fail(error, path + ": cannot read the package header: " + strerror(errno));
    }
    const uint32_t count = directory->header.entryCount;
    if (count > MAX_PACKAGE_FILES) {
        return Fail(error, path + ": the package header counts " + std::to_string(count) +
                               " files; the updater accepts at most " +
                               std::to_string(MAX_PACKAGE_FILES));
    }
    const uint64_t dataStart = PackageDataStart(count);
    if (directory->fileSize < dataStart) {
        return Fail(error, path + ": the directory of " + std::to_string(count) +
                               " entries ends at " + std::to_string(dataStart) +
                               ", past the end of the file (" +
                               std::to_string(directory->fileSize) + " bytes)");
    }
    directory->entries.resize(count);
    if (count != 0 &&
        fread(directory->entries.data(), sizeof(PackageEntry), count, file) != count) {
        return Fail(error, path + ": cannot read the directory: " + strerror(errno));
    }
    return true;
}

bool FindEntryData(const UpdaterDirectory& directory, size_t i, uint32_t* fileOffset) {
    // The updater sees at most 32 bits of its size; past that nothing is addressable anyway.
    const uint32_t fileSize =
        directory.fileSize > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(directory.fileSize);
    return LocateEntryData(static_cast<uint32_t>(directory.entries.size()), directory.entries[i],
                           fileSize, fileOffset);
}
