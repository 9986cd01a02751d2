#pragma once
// The header and directory of an updater file as text for people and as JSON for scripts.

#include <string>

#include "updater_directory.h"

// A table with each entry's name, offset, size and the file range [start, end) of its data.
std::string FormatListing(const std::string& path, const UpdaterDirectory& directory);
// The same facts as one JSON object; names also as hex, since they are bytes in the Windows code
// page rather than text.
std::string FormatListingJson(const std::string& path, const UpdaterDirectory& directory);
