#include "installed_folder_value.h"

#include <string.h>

bool IsUsableInstalledFolder(const char (&folder)[PATH_BUFFER_SIZE]) {
    if (memchr(folder, '\0', sizeof folder) == nullptr) return false;
    const char drive = static_cast<char>(folder[0] | 0x20);
    if (drive >= 'a' && drive <= 'z' && folder[1] == ':') {
        return folder[2] == '\\' || folder[2] == '/';
    }
    return folder[0] == '\\' && folder[1] == '\\';
}
