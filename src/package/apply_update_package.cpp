#include <stdlib.h>
#include <string.h>

#include "file_handle.h"
#include "join_path.h"
#include "package_format.h"
#include "update_package.h"

namespace {

// Carried files are copied through one buffer of at most this size, so memory stays bounded
// whatever the size of an entry. Measured with bench/copy_chunk_bench on a 512 MiB file under Wine:
// 64 KiB to 256 KiB copied at about 1170 MiB/s, 1 to 16 MiB at 1060 to 1140 MiB/s; 256 KiB is the
// largest of the fastest (fewest calls) while it still fits the processor's cache.
const uint32_t COPY_CHUNK_SIZE = 0x40000;

uint32_t CopyEntryData(FileHandle& source, FileHandle& target, uint32_t size, char* buffer,
                       uint32_t bufferSize) {
    while (size != 0) {
        const uint32_t count = size < bufferSize ? size : bufferSize;
        if (source.Read(buffer, count) != count) return UPDATE_E_READ;
        if (target.Write(buffer, count) != count) return UPDATE_E_CREATE;  // a full disk
        size -= count;
    }
    return UPDATE_OK;
}

// Everything that can show the package damaged is decided before the target is touched.
uint32_t InstallEntry(FileHandle& own, uint32_t ownSize, uint32_t entryCount,
                      const PackageEntry& entry, const char* folder, char* buffer,
                      uint32_t bufferSize) {
    uint32_t dataOffset;
    if (!IsSafeEntryName(entry.name) || !LocateEntryData(entryCount, entry, ownSize, &dataOffset) ||
        !own.SeekTo(dataOffset)) {
        return UPDATE_E_READ;
    }
    char target[PATH_BUFFER_SIZE];
    if (!JoinPath(target, folder, entry.name)) return UPDATE_E_CREATE;

    // An existing read-only, hidden or system target could not be replaced otherwise.
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    FileHandle file;
    if (!file.OpenForWrite(target)) return UPDATE_E_CREATE;
    return CopyEntryData(own, file, entry.size, buffer, bufferSize);
}

uint32_t LargestEntrySize(const PackageEntry* directory, uint32_t entryCount) {
    uint32_t largest = 0;
    for (uint32_t i = 0; i < entryCount; ++i) {
        if (directory[i].size > largest) largest = directory[i].size;
    }
    return largest;
}

}  // namespace

uint32_t ApplyUpdatePackage(const char* folder) {
    // When the platform gives no name, the relative "setup.exe" is what gets opened.
    char ownPath[PATH_BUFFER_SIZE] = "setup.exe";
    if (GetModuleFileNameA(nullptr, ownPath, sizeof ownPath) >= sizeof ownPath) {
        return UPDATE_E_READ;  // cut short, so it would name some other file
    }
    FileHandle own;
    if (!own.OpenForRead(ownPath)) return UPDATE_E_READ;
    const uint32_t ownSize = own.GetSize();
    if (ownSize < PACKAGE_OFFSET || ownSize == INVALID_FILE_SIZE) return UPDATE_E_READ;

    PackageHeader header;
    if (!own.SeekTo(PACKAGE_OFFSET) || own.Read(&header, sizeof header) != sizeof header) {
        return UPDATE_E_READ;
    }
    const uint32_t entryCount = header.entryCount;
    if (entryCount > MAX_PACKAGE_FILES) return UPDATE_E_TOO_MANY_FILES;

    PackageEntry directory[MAX_PACKAGE_FILES];
    const uint32_t directorySize = entryCount * sizeof(PackageEntry);
    if (own.Read(directory, directorySize) != directorySize) return UPDATE_E_READ;

    uint32_t bufferSize = LargestEntrySize(directory, entryCount);
    if (bufferSize > COPY_CHUNK_SIZE) bufferSize = COPY_CHUNK_SIZE;
    char* buffer = nullptr;
    if (bufferSize != 0) {
        buffer = static_cast<char*>(malloc(bufferSize));
        if (buffer == nullptr) return UPDATE_E_CREATE;
    }

    // Slot i names entry i once its file is written; the slot after the last written is null.
    const char* names[MAX_PACKAGE_FILES + 1];
    uint32_t result = UPDATE_OK;
    uint32_t written = 0;
    while (written < entryCount) {
        result =
            InstallEntry(own, ownSize, entryCount, directory[written], folder, buffer, bufferSize);
        if (result != UPDATE_OK) break;
        names[written] = directory[written].name;
        ++written;
    }
    names[written] = nullptr;
    free(buffer);

    if (written == entryCount) {
        result = MergeUninstallList(folder, names) ? UPDATE_OK : UPDATE_E_UNINSTALL_LIST;
    }
    return result;
}
