#pragma once
// Writing an updater file: the executable image, zeros up to PACKAGE_OFFSET, the package header,
// the directory, then each carried file's data in directory order.

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

struct PackageInput {
    std::string name;  // as the updater installs it, folders separated by backslashes
    std::string path;  // where the build machine holds the file
};

// The updater addresses positions in its own file with signed 32-bit distances.
const uint64_t MAX_UPDATER_FILE_SIZE = 0x7FFFFFFF;

// Writes the updater file to outputPath through a temporary file in the same folder that is put in
// its place at the end. Everything that can be refused is refused before that file is created.
// On failure returns false with the problem in one line naming the file concerned; no temporary
// file remains and an existing output is left as it was. The same inputs always give the same
// bytes. Progress is drawn on progressTo when it is not null.
bool BuildUpdater(const std::string& imagePath, const std::vector<PackageInput>& inputs,
                  const std::string& outputPath, FILE* progressTo, std::string* error);
