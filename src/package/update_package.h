#pragma once

#include <stdint.h>

// Writes every file of the package carried in the running executable into folder, then adds their
// names to the folder's uninstall list. Returns UPDATE_OK or one of the UPDATE_E_* codes.
uint32_t ApplyUpdatePackage(const char* folder);

// Adds the names of the null-terminated array to "uninst.lst" in folder. True when the list was
// read, extended and put back in full; on false the list is as it was, byte for byte.
bool MergeUninstallList(const char* folder, const char* const* names);
