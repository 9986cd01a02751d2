// Feeds arbitrary lists and names to the uninstall-list merge and checks what it promises: on
// success the old text is kept, every name is in the new text, and the text ends with its only NUL;
// on failure the text is as it was. Input: a count byte, that many NUL-terminated names, the list.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "uninstall_list_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t nameCount = data[0] % 20;
    const uint32_t slack = data[1];
    size_t at = 2;
    std::vector<std::string> names;
    for (size_t i = 0; i < nameCount && at < size; ++i) {
        const void* end = memchr(data + at, '\0', size - at);
        const size_t length = end ? static_cast<const uint8_t*>(end) - (data + at) : size - at;
        names.emplace_back(reinterpret_cast<const char*>(data + at), length);
        at += length + 1;
    }
    if (at > size) at = size;
    const std::string list(reinterpret_cast<const char*>(data + at), size - at);

    std::vector<const char*> pointers;
    for (const std::string& name : names) pointers.push_back(name.c_str());
    pointers.push_back(nullptr);

    // The buffer is exactly the capacity, so that the sanitizers see any write past it.
    const uint32_t capacity = static_cast<uint32_t>(list.size()) + slack;
    char* buffer = static_cast<char*>(malloc(capacity ? capacity : 1));
    memcpy(buffer, list.data(), list.size());
    uint32_t newSize = 0;
    const bool ok = AppendMissingNames(buffer, static_cast<uint32_t>(list.size()), capacity,
                                       pointers.data(), &newSize);
    if (ok) {
        if (newSize < list.size() || newSize > capacity) abort();
        if (memcmp(buffer, list.data(), list.size() - 1) != 0) abort();
        if (buffer[newSize - 1] != '\0' || memchr(buffer, '\0', newSize - 1) != nullptr) abort();
        for (const std::string& name : names) {
            if (strstr(buffer, name.c_str()) == nullptr) abort();
        }
    } else if (!list.empty() && memcmp(buffer, list.data(), list.size()) != 0) {
        abort();
    }
    free(buffer);
    return 0;
}
