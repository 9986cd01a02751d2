#pragma once
// The registry value that tells the updater where the game is installed, as the tests set it.

#include <windows.h>

#include <string>

// Spelled out here rather than taken from the driver, so that a typo there fails a test.
const char PRODUCT_KEY[] = "Software\\Copper Kettle\\Lantern Waltz";
const char FOLDER_VALUE[] = "InstalledFolder";

inline void RemoveProductKey() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, PRODUCT_KEY);
}

// Writes bytes as they are: the terminating NUL is the caller's to include.
inline bool SetFolderValue(const char* valueName, DWORD type, const std::string& bytes) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG status =
        RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

inline bool SetInstalledFolder(const std::string& folder) {
    return SetFolderValue(FOLDER_VALUE, REG_SZ, folder + '\0');
}
