#include "uninstall_list_text.h"

#include <string.h>

bool AppendMissingNames(char* list, uint32_t size, uint32_t capacity, const char* const* names,
                        uint32_t* newSize) {
    if (size == 0 || size > capacity || list[size - 1] != '\0') return false;
    if (memchr(list, '\0', size - 1) != nullptr) return false;

    uint32_t end = size - 1;  // the final NUL, where the next line goes
    for (const char* const* name = names; *name != nullptr; ++name) {
        if (strstr(list, *name) != nullptr) continue;
        const size_t length = strlen(*name);
        if (length + 2 > capacity - end) {  // the name, its line feed and the moved NUL
            list[size - 1] = '\0';
            return false;
        }
        memcpy(list + end, *name, length);
        list[end + length] = '\n';
        list[end + length + 1] = '\0';
        end += static_cast<uint32_t>(length) + 1;
    }
    *newSize = end + 1;
    return true;
}
