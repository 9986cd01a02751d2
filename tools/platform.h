#pragma once
// The few file operations that differ between Linux and Windows. Everything else in the tool uses
// standard stdio.

#include <stdint.h>
#include <stdio.h>

#include <string>

// The same modes as fopen; a folder is refused with EISDIR.
FILE* OpenFile(const std::string& path, const char* mode);
// Size of an open file, whatever its size; the position is left at the start.
bool GetFileSize64(FILE* file, uint64_t* size);
bool SeekFile64(FILE* file, uint64_t position);

// Puts from in place of to, replacing an existing to in one step.
bool ReplaceFileWith(const std::string& from, const std::string& to);
// Creates one folder; true also when it exists already as a folder.
bool MakeFolder(const std::string& path);
bool IsFolder(const std::string& path);
bool IsTerminal(FILE* stream);

// The separator the build machine uses between folders.
extern const char HOST_PATH_SEPARATOR;

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
