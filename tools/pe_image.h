#pragma once
// The executable image at the start of an updater file, seen through its PE headers.

#include <stdint.h>
#include <stddef.h>

#include <string>

// Finds where the image in bytes[0, size) ends: the furthest of the end of its headers
// (SizeOfHeaders), the end of each section's raw data, the end of a COFF symbol table with its
// string table, and the end of an attached certificate table. Everything the linker writes lies
// below that end, so the bytes after it up to the package are padding. False, with the problem in
// plain words, when the bytes are not a PE file ("MZ" at 0, e_lfanew inside, "PE\0\0" there) or
// its headers are cut short.
bool FindPeImageEnd(const unsigned char* bytes, size_t size, uint64_t* end, std::string* problem);
