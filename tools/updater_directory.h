#pragma once
// The package header and directory of an updater file, read as the updater reads them.

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "package_format.h"

struct UpdaterDirectory {
    uint64_t fileSize;
    PackageHeader header;
    std::vector<PackageEntry> entries;
};

// Reads the header at PACKAGE_OFFSET and the directory after it from the open file. False, with
// the problem in one line naming path, when the file ends before the header or the directory, or
// the header counts more than MAX_PACKAGE_FILES entries.
bool ReadUpdaterDirectory(FILE* file, const std::string& path, UpdaterDirectory* directory,
                          std::string* error);

// Where entry i's data starts in the file, from LocateEntryData. False when the data does not lie
// wholly inside the file.
bool FindEntryData(const UpdaterDirectory& directory, size_t i, uint32_t* fileOffset);
