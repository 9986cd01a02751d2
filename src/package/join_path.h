#pragma once

#include "package_format.h"

// Writes "first\second" into a PATH_BUFFER_SIZE-byte buffer. A path that would not fit is never
// cut short: the function returns false and leaves an empty string.
bool JoinPath(char (&buffer)[PATH_BUFFER_SIZE], const char* first, const char* second);
