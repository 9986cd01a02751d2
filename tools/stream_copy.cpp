#include "stream_copy.h"

#include "progress_bar.h"

CopyResult CopyBytes(FILE* from, FILE* to, uint64_t size, std::vector<char>* buffer,
                     ProgressBar* progress) {
    if (buffer->size() < COPY_BUFFER_SIZE && buffer->size() < size) {
        buffer->resize(size < COPY_BUFFER_SIZE ? static_cast<size_t>(size) : COPY_BUFFER_SIZE);
    }
    while (size != 0) {
        const size_t count = size < buffer->size() ? static_cast<size_t>(size) : buffer->size();
        if (fread(buffer->data(), 1, count, from) != count) return COPY_READ_FAILED;
        if (fwrite(buffer->data(), 1, count, to) != count) return COPY_WRITE_FAILED;
        size -= count;
        if (progress) progress->Advance(count);
    }
    return COPY_OK;
}
