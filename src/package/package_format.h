#pragma once
// The layout of an updater file, shared by the updater and the publisher's tool so that the two
// can never disagree. All integers are unsigned 32-bit little-endian.

#include <stddef.h>
#include <stdint.h>

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the package structures are read and written as little-endian memory images"
#endif

// The executable image lies in the first 64 KiB of the updater file, the package after it.
const uint32_t PACKAGE_OFFSET = 0x10000;
const uint32_t MAX_PACKAGE_FILES = 16;
const uint32_t PACKAGE_NAME_FIELD_SIZE = 16;
const uint32_t UNINSTALL_LIST_CAPACITY = 0x100000;
const uint32_t PATH_BUFFER_SIZE = 260;

// "PackFile" and four spaces, no terminator.
const char PACKAGE_MAGIC[12] = {'P', 'a', 'c', 'k', 'F', 'i', 'l', 'e', ' ', ' ', ' ', ' '};

struct PackageHeader {
    char magic[12];
    uint32_t entryCount;
};

struct PackageEntry {
    char name[PACKAGE_NAME_FIELD_SIZE];  // NUL-terminated, NUL-padded
    uint32_t offset;                     // from the start of the data area
    uint32_t size;
    uint8_t reserved[8];
};

static_assert(sizeof(PackageHeader) == 16, "the package header is 16 bytes");
static_assert(sizeof(PackageEntry) == 32, "a directory entry is 32 bytes");

// The data area follows the directory directly.
inline uint32_t PackageDataStart(uint32_t entryCount) {
    return PACKAGE_OFFSET + sizeof(PackageHeader) + entryCount * sizeof(PackageEntry);
}

// Result codes of ApplyUpdatePackage, also the updater's exit statuses.
const uint32_t UPDATE_OK = 0;
const uint32_t UPDATE_E_READ = 0x80000001;
const uint32_t UPDATE_E_TOO_MANY_FILES = 0x80000002;
const uint32_t UPDATE_E_CREATE = 0x80000003;
const uint32_t UPDATE_E_UNINSTALL_LIST = 0x80000004;

// The uninstall list, and the name its new text is written under before it replaces the list. The
// two have the same length, so that one path fits in PATH_BUFFER_SIZE exactly when the other does.
const char UNINSTALL_LIST_NAME[] = "uninst.lst";
const char UNINSTALL_LIST_TEMP_NAME[] = "uninst.tmp";
const char UNINSTALL_LIST_TEMP_NAME_UPPER[] = "UNINST.TMP";
static_assert(sizeof UNINSTALL_LIST_NAME == sizeof UNINSTALL_LIST_TEMP_NAME, "same length");

// True when the name field holds a name that the updater may write: a NUL within the field, not
// empty, relative, no drive or stream colon, none of the characters that Windows forbids in file
// names, no empty component, no component that ends with a dot or a space (Windows would drop it,
// so "..." and ". ." could act as ".." and "a." would be written as "a"), no device name such as
// NUL or COM1 (Windows would send the data to the device), and not UNINSTALL_LIST_TEMP_NAME.
// Components are split at every backslash and slash byte, which can only split more finely than
// Windows does for a Shift_JIS name, never less.
bool IsSafeEntryName(const char (&name)[PACKAGE_NAME_FIELD_SIZE]);

// True when a name component (length bytes, no separator) names a Windows device in every folder:
// CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, CONIN$, CONOUT$ or CLOCK$, in any case, with or
// without an extension.
bool IsDeviceName(const char* component, size_t length);

// Finds where an entry's data lies in an updater file of fileSize bytes. False when the range
// overflows 32 bits or ends past the end of the file.
bool LocateEntryData(uint32_t entryCount, const PackageEntry& entry, uint32_t fileSize,
                     uint32_t* fileOffset);
