#pragma once
// Names of carried files as the tool handles them. Whether the updater accepts a name is decided
// by IsSafeEntryName alone; these helpers only put the decision into words and compare names.

#include <stddef.h>

#include <string>

#include "package_format.h"

// The name held by a directory entry's field, up to its first NUL (all 16 bytes if none).
std::string NameInField(const char (&field)[PACKAGE_NAME_FIELD_SIZE]);
// The field that holds name, NUL-padded; name must be shorter than the field.
void FillNameField(const std::string& name, char (&field)[PACKAGE_NAME_FIELD_SIZE]);

// Why IsSafeEntryName refuses the name in field, as the end of a sentence ("starts with ...").
std::string DescribeUnsafeName(const char (&field)[PACKAGE_NAME_FIELD_SIZE]);

// Empty string when a new entry may carry name; otherwise the problem in plain words.
std::string ProblemWithNewName(const std::string& name);

// Windows file names compare without regard to ASCII case, and "/" separates folders as "\" does.
bool SameEntryName(const std::string& a, const std::string& b);
// True when name lies in a subfolder that is named folder ("a" for "a\\b" or "A/b\\c"): the
// updater could not write both, one as a file and the other inside it as a folder.
bool IsFolderOf(const std::string& folder, const std::string& name);

// Names are bytes in code page 932, as Windows reads them: a lead byte and the byte after it are
// one character, even when that second byte is '\\' or a letter.
bool IsShiftJisLeadByte(char c);
// The first backslash or slash at or after start that Windows takes for a separator, or npos.
size_t FindNameSeparator(const std::string& name, size_t start);

// The name in quotes for messages and listings: bytes outside printable ASCII (control bytes,
// Shift_JIS) appear as \xNN.
std::string QuotedName(const std::string& name);
