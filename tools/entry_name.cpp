#include "entry_name.h"

#include <stdio.h>
#include <string.h>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char FoldedNameByte(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    if (c == '/') return '\\';
    return c;
}

bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (FoldedNameByte(*a) != FoldedNameByte(*b)) return false;
    }
    return *a == *b;
}

bool IsDotsAndSpaces(const std::string& component) {
    return component.find_first_not_of(". ") == std::string::npos;
}

}  // namespace

std::string NameInField(const char (&field)[PACKAGE_NAME_FIELD_SIZE]) {
    const void* nul = memchr(field, '\0', PACKAGE_NAME_FIELD_SIZE);
    const size_t length =
        nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : PACKAGE_NAME_FIELD_SIZE;
    return std::string(field, length);
}

void FillNameField(const std::string& name, char (&field)[PACKAGE_NAME_FIELD_SIZE]) {
    memset(field, 0, PACKAGE_NAME_FIELD_SIZE);
    memcpy(field, name.data(), name.size() < PACKAGE_NAME_FIELD_SIZE ? name.size() : 0);
}

std::string DescribeUnsafeName(const char (&field)[PACKAGE_NAME_FIELD_SIZE]) {
    if (memchr(field, '\0', PACKAGE_NAME_FIELD_SIZE) == nullptr) {
        return "has no terminating NUL within its 16 bytes";
    }
    const std::string name = NameInField(field);
    if (name.empty()) return "is empty";
    if (IsSeparator(name[0])) return "starts with a backslash or slash, so it is absolute";
    if (name.find(':') != std::string::npos) {
        return "contains a colon (a drive letter or a stream name)";
    }
    for (unsigned char c : name) {
        if (c < 0x20) return "contains a control character";
        if (strchr("*?\"<>|", c)) {
            return std::string("contains '") + static_cast<char>(c) +
                   "', which Windows forbids in file names";
        }
    }
    size_t start = 0;
    for (;;) {
        size_t stop = start;
        while (stop < name.size() && !IsSeparator(name[stop])) ++stop;
        const std::string component = name.substr(start, stop - start);
        if (component.empty()) {
            // The byte before this separator may be the first half of a Shift_JIS character
            // whose second half is the 0x5C taken here for a backslash.
            if (start >= 2 && IsShiftJisLeadByte(name[start - 2])) {
                return "has a double-byte character ending in the byte 0x5C at byte " +
                       std::to_string(start - 1) +
                       ", which the updater reads as a folder separator in every code page";
            }
            return "has an empty folder component (a doubled or trailing separator)";
        }
        if (component == "..") return "has a \"..\" component, which leads out of the folder";
        if (component == ".") return "has a \".\" component";
        if (IsDotsAndSpaces(component)) {
            return "has the component \"" + component +
                   "\" (only dots and spaces, which Windows treats as \".\" or \"..\")";
        }
        if (component.back() == '.' || component.back() == ' ') {
            return "has the component \"" + component +
                   "\", which ends with a dot or a space that Windows would drop";
        }
        if (IsDeviceName(component.data(), component.size())) {
            return "has the component \"" + component +
                   "\", which Windows takes for a device, not a file";
        }
        if (stop == name.size()) break;
        start = stop + 1;
    }
    if (name.size() == strlen(UNINSTALL_LIST_TEMP_NAME) &&
        EqualIgnoringAsciiCase(name.c_str(), UNINSTALL_LIST_TEMP_NAME)) {
        return "is the name under which the updater writes the new uninstall list";
    }
    return "is refused by the updater";
}

std::string ProblemWithNewName(const std::string& name) {
    if (name.empty()) return "the name is empty";
    if (name.size() >= PACKAGE_NAME_FIELD_SIZE) {
        return "the name " + QuotedName(name) + " is " + std::to_string(name.size()) +
               " bytes long; at most " + std::to_string(PACKAGE_NAME_FIELD_SIZE - 1) + " bytes fit";
    }
    if (name.find('\0') != std::string::npos) {
        return "the name " + QuotedName(name) + " contains a NUL byte";
    }
    char field[PACKAGE_NAME_FIELD_SIZE];
    FillNameField(name, field);
    if (!IsSafeEntryName(field)) {
        return "the name " + QuotedName(name) + " would be refused by the updater: it " +
               DescribeUnsafeName(field);
    }
    return std::string();
}

bool SameEntryName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsShiftJisLeadByte(a[i]) && i + 1 < a.size()) {
            // A double-byte character has no case, and its second byte is no separator.
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (FoldedNameByte(a[i]) != FoldedNameByte(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsFolderOf(const std::string& folder, const std::string& name) {
    for (size_t at = FindNameSeparator(name, 0); at != std::string::npos;
         at = FindNameSeparator(name, at + 1)) {
        if (SameEntryName(name.substr(0, at), folder)) return true;
    }
    return false;
}

bool IsShiftJisLeadByte(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
}

size_t FindNameSeparator(const std::string& name, size_t start) {
    for (size_t i = start; i < name.size(); ++i) {
        if (IsShiftJisLeadByte(name[i])) {
            ++i;
        } else if (IsSeparator(name[i])) {
            return i;
        }
    }
    return std::string::npos;
}

std::string QuotedName(const std::string& name) {
    std::string quoted = "\"";
    for (unsigned char c : name) {
        if (c >= 0x20 && c < 0x7F) {
            quoted += static_cast<char>(c);
        } else {
            char escape[5];
            snprintf(escape, sizeof escape, "\\x%02X", c);
            quoted += escape;
        }
    }
    return quoted + "\"";
}
