#include <stdlib.h>

#include "file_handle.h"
#include "join_path.h"
#include "package_format.h"
#include "uninstall_list_text.h"
#include "update_package.h"

namespace {

// Attributes that a new file can be given; others (compressed, encrypted, sparse) are not set so.
const DWORD CARRIED_LIST_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                      FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;

bool ReadList(const char* path, char* buffer, uint32_t* size) {
    FileHandle list;
    if (!list.OpenForRead(path)) return false;
    *size = list.GetSize();
    if (*size == 0 || *size > UNINSTALL_LIST_CAPACITY) return false;
    return list.Read(buffer, *size) == *size;
}

bool WriteFileCompletely(const char* path, const char* data, uint32_t size) {
    FileHandle file;
    return file.OpenForWrite(path) && file.Write(data, size) == size && file.Flush();
}

// The new text is written beside the old list and then put in its place in one step, so that no
// failure can leave the player with a truncated or half-written list. The list keeps its hidden or
// system attribute.
bool ReplaceList(const char* path, const char* tempPath, const char* text, uint32_t size,
                 DWORD oldAttributes) {
    DWORD attributes = oldAttributes & CARRIED_LIST_ATTRIBUTES;
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    // A temporary file left by a power cut may be hidden like the list, and Windows refuses to
    // create a hidden file over again.
    DeleteFileA(tempPath);
    if (!WriteFileCompletely(tempPath, text, size) || !SetFileAttributesA(tempPath, attributes) ||
        !MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(tempPath);
        return false;
    }
    return true;
}

}  // namespace

bool MergeUninstallList(const char* folder, const char* const* names) {
    char path[PATH_BUFFER_SIZE];
    char tempPath[PATH_BUFFER_SIZE];
    if (!JoinPath(path, folder, UNINSTALL_LIST_NAME) ||
        !JoinPath(tempPath, folder, UNINSTALL_LIST_TEMP_NAME)) {
        return false;
    }
    // A read-only list is not to be rewritten. Tested here because an administrator's handle (and
    // Wine running as root) could write it regardless.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }

    char* text = static_cast<char*>(malloc(UNINSTALL_LIST_CAPACITY));
    if (text == nullptr) return false;
    uint32_t size = 0;
    uint32_t newSize = 0;
    const bool merged = ReadList(path, text, &size) &&
                        AppendMissingNames(text, size, UNINSTALL_LIST_CAPACITY, names, &newSize) &&
                        ReplaceList(path, tempPath, text, newSize, attributes);
    free(text);
    return merged;
}
