#pragma once

#include "package_format.h"

// True when the registry query's buffer holds a folder the updater may write into: a string that
// ends within the buffer (at most 259 bytes) and names an absolute folder, "X:\..." or
// "\\server\...". An empty or relative folder would put the files wherever the updater happened to
// be started.
bool IsUsableInstalledFolder(const char (&folder)[PATH_BUFFER_SIZE]);
