#pragma once

#include "package_format.h"

// Reads where the game is installed: the REG_SZ value "InstalledFolder" under
// HKEY_LOCAL_MACHINE\Software\<maker>\<product>. True only when the value exists, has exactly that
// type and IsUsableInstalledFolder accepts what it holds.
bool ReadInstalledFolder(char (&folder)[PATH_BUFFER_SIZE], const char* maker, const char* product);
