#pragma once

#include <stdint.h>

// The uninstall list is text that ends with its only NUL byte, which is the file's last byte.
// Appends to it a line "name\n" for every name that the text does not already contain anywhere as a
// byte-wise, case-sensitive substring; lines appended earlier count for the names that follow.
//
// list holds size bytes of the file (the final NUL included) in a buffer of capacity bytes; names
// is a null-terminated array. On success *newSize is the new length with the final NUL. Returns
// false, with the text exactly as it was, when the list is malformed (empty, no final NUL, a NUL
// before the end) or the appended names would not fit in the buffer.
bool AppendMissingNames(char* list, uint32_t size, uint32_t capacity, const char* const* names,
                        uint32_t* newSize);
