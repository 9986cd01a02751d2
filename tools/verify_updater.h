#pragma once
// Checking an updater file as the updater will read it.

#include <string>
#include <vector>

// Every problem found, each one line naming path; empty when the updater will install the package.
// Checked: the file can hold the package header; the first PACKAGE_OFFSET bytes hold a PE image
// (see FindPeImageEnd for where it ends) followed only by zeros; the file stays below 2 GiB; the
// header starts with PACKAGE_MAGIC and counts at most MAX_PACKAGE_FILES entries; the directory
// lies inside the file; every name passes IsSafeEntryName; every entry's data lies inside the file;
// no two names give the same file on Windows.
std::vector<std::string> VerifyUpdater(const std::string& path);
