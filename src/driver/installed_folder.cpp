#include "installed_folder.h"

#include <string.h>
#include <windows.h>

#include "driver_texts.h"
#include "installed_folder_value.h"
#include "join_path.h"

bool ReadInstalledFolder(char (&folder)[PATH_BUFFER_SIZE], const char* maker, const char* product) {
    if (maker == nullptr || product == nullptr) return false;
    char makerKey[PATH_BUFFER_SIZE];
    char productKey[PATH_BUFFER_SIZE];
    if (!JoinPath(makerKey, SOFTWARE_KEY_NAME, maker) || !JoinPath(productKey, makerKey, product)) {
        return false;
    }

    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, productKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    // Zeroed first, so that a value stored without its NUL is terminated by the byte after it;
    // only a value that fills the whole buffer is left without one.
    memset(folder, 0, sizeof folder);
    DWORD type = REG_NONE;
    DWORD size = sizeof folder;
    const LONG status = RegQueryValueExA(key, INSTALLED_FOLDER_VALUE_NAME, nullptr, &type,
                                         reinterpret_cast<BYTE*>(folder), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return false;
    return IsUsableInstalledFolder(folder);
}
