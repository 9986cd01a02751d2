#include "join_path.h"

#include <string.h>

bool JoinPath(char (&buffer)[PATH_BUFFER_SIZE], const char* first, const char* second) {
    const size_t firstLength = strlen(first);
    const size_t secondLength = strlen(second);
    buffer[0] = '\0';
    if (firstLength + 1 + secondLength >= PATH_BUFFER_SIZE) return false;
    memcpy(buffer, first, firstLength);
    buffer[firstLength] = '\\';
    memcpy(buffer + firstLength + 1, second, secondLength + 1);
    return true;
}
