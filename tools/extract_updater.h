#pragma once
// Writing the files an updater carries into a folder on the build machine.

#include <stdio.h>

#include <string>

// Creates folder if needed and writes every carried file under it, in directory order, with the
// subfolders its name gives (backslashes become the build machine's separator). The whole package
// is refused before anything is written when a name would leave the folder (IsSafeEntryName) or
// some data lies outside the file. On failure returns false with the problem in one line naming
// the file concerned. Progress is drawn on progressTo when it is not null.
bool ExtractUpdater(const std::string& path, const std::string& folder, FILE* progressTo,
                    std::string* error);
