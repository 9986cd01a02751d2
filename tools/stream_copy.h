#pragma once
// Copying a range of bytes between open files through one bounded buffer, so that memory stays the
// same whatever the size of the files.

#include <stdint.h>
#include <stdio.h>

#include <vector>

class ProgressBar;

const size_t COPY_BUFFER_SIZE = 0x100000;

enum CopyResult { COPY_OK, COPY_READ_FAILED, COPY_WRITE_FAILED };

// Copies size bytes from the current position of from to the current position of to. The buffer
// is grown to COPY_BUFFER_SIZE at most; progress may be null.
CopyResult CopyBytes(FILE* from, FILE* to, uint64_t size, std::vector<char>* buffer,
                     ProgressBar* progress);
