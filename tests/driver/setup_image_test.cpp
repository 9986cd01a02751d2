// Reads the built setup.exe as a file and checks what Windows XP's loader and the player's
// Explorer will see: the machine, the subsystem, every import and the resource tree.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "package_format.h"
#include "win32_files.h"

namespace {

// Every function the image may import, each one present in Windows XP's system DLLs. Adding a
// name here means checking first that XP has it.
const std::map<std::string, std::set<std::string>> XP_IMPORTS = {
    {"KERNEL32.DLL",
     {"CloseHandle", "CreateFileA", "CreateMutexA", "DeleteFileA", "ExitProcess",
      "FlushFileBuffers", "GetCommandLineA", "GetFileAttributesA", "GetFileSize", "GetLastError",
      "GetModuleFileNameA", "GetModuleHandleA", "GetStartupInfoA", "MoveFileExA", "ReadFile",
      "SetFileAttributesA", "SetFilePointer", "WriteFile"}},
    {"USER32.DLL", {"MessageBoxA"}},
    {"ADVAPI32.DLL", {"RegCloseKey", "RegOpenKeyExA", "RegQueryValueExA"}},
    // The updater's own start-up initialises no C runtime: only these plain functions are used.
    {"MSVCRT.DLL",
     {"free", "malloc", "memchr", "memcmp", "memcpy", "memmove", "memset", "strlen", "strstr"}},
};

const WORD JAPANESE = 1041;

class PeImage {
  public:
    explicit PeImage(std::string bytes) : bytes_(std::move(bytes)) {}

    template <typename T>
    bool ReadAt(size_t offset, T* value) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return false;
        memcpy(value, bytes_.data() + offset, sizeof(T));
        return true;
    }
    // Headers; false when the file is not a PE image.
    bool Parse() {
        IMAGE_DOS_HEADER dos;
        if (!ReadAt(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
        if (!ReadAt(dos.e_lfanew, &nt) || nt.Signature != IMAGE_NT_SIGNATURE) return false;
        const size_t sectionsAt = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                  nt.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section;
            if (!ReadAt(sectionsAt + i * sizeof section, &section)) return false;
            sections_.push_back(section);
        }
        return true;
    }
    // File offset of a relative virtual address; 0 when no section holds it.
    size_t OffsetOf(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER& section : sections_) {
            if (rva >= section.VirtualAddress &&
                rva < section.VirtualAddress + section.SizeOfRawData) {
                return rva - section.VirtualAddress + section.PointerToRawData;
            }
        }
        return 0;
    }
    std::string StringAt(DWORD rva) const {
        const size_t offset = OffsetOf(rva);
        if (offset == 0) return "";
        return std::string(bytes_.c_str() + offset);
    }
    const IMAGE_DATA_DIRECTORY& Directory(int index) const {
        return nt.OptionalHeader.DataDirectory[index];
    }

    IMAGE_NT_HEADERS32 nt = {};

  private:
    std::string bytes_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    return text;
}

class SetupImageTest : public testing::Test {
  protected:
    std::string bytes = ReadWholeFile(ProgramFolder() + "\\setup.exe");
    PeImage image{bytes};

    void SetUp() override {
        ASSERT_GT(bytes.size(), 0u);
        ASSERT_TRUE(image.Parse());
    }

    // Entries of one resource directory: (id, offset of the entry's data or subdirectory).
    std::vector<std::pair<DWORD, DWORD>> ResourceEntries(DWORD directoryOffset, bool* namedEntry) {
        std::vector<std::pair<DWORD, DWORD>> entries;
        const DWORD base = image.Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress;
        const size_t at = image.OffsetOf(base) + directoryOffset;
        IMAGE_RESOURCE_DIRECTORY directory;
        if (!image.ReadAt(at, &directory)) return entries;
        const int count = directory.NumberOfNamedEntries + directory.NumberOfIdEntries;
        *namedEntry = directory.NumberOfNamedEntries != 0;
        for (int i = 0; i < count; ++i) {
            IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
            if (!image.ReadAt(at + sizeof directory + i * sizeof entry, &entry)) break;
            entries.push_back({entry.Name, entry.OffsetToData});
        }
        return entries;
    }

    // The only resource of this type: checks its id and language and returns its bytes.
    std::string OnlyResource(DWORD typeOffset, DWORD expectedId) {
        bool named = false;
        const auto names = ResourceEntries(typeOffset & 0x7FFFFFFF, &named);
        EXPECT_FALSE(named);
        if (names.size() != 1) {
            ADD_FAILURE() << "resources of this type: " << names.size();
            return "";
        }
        EXPECT_EQ(names[0].first, expectedId);
        const auto languages = ResourceEntries(names[0].second & 0x7FFFFFFF, &named);
        if (languages.size() != 1) {
            ADD_FAILURE() << "languages: " << languages.size();
            return "";
        }
        EXPECT_EQ(languages[0].first, JAPANESE);
        EXPECT_EQ(languages[0].second & 0x80000000, 0u) << "a data entry, not a directory";
        const DWORD base = image.Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress;
        IMAGE_RESOURCE_DATA_ENTRY data;
        if (!image.ReadAt(image.OffsetOf(base) + languages[0].second, &data)) return "";
        const size_t offset = image.OffsetOf(data.OffsetToData);
        if (offset == 0 || offset + data.Size > bytes.size()) return "";
        return bytes.substr(offset, data.Size);
    }
};

TEST_F(SetupImageTest, IsA32BitGuiProgramThatFitsBeforeThePackage) {
    EXPECT_LE(bytes.size(), PACKAGE_OFFSET);
    EXPECT_EQ(image.nt.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(image.nt.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(image.nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // Windows XP is version 5.1; it refuses images that ask for more.
    EXPECT_LE(image.nt.OptionalHeader.MajorSubsystemVersion * 100 +
                  image.nt.OptionalHeader.MinorSubsystemVersion,
              501);
    EXPECT_LE(image.nt.OptionalHeader.MajorOperatingSystemVersion * 100 +
                  image.nt.OptionalHeader.MinorOperatingSystemVersion,
              501);
}

TEST_F(SetupImageTest, ImportsOnlyWhatWindowsXpHas) {
    const IMAGE_DATA_DIRECTORY& imports = image.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(imports.VirtualAddress, 0u);
    std::set<std::string> dlls;
    size_t at = image.OffsetOf(imports.VirtualAddress);
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    for (; image.ReadAt(at, &descriptor) && descriptor.Name != 0; at += sizeof descriptor) {
        const std::string dll = Upper(image.StringAt(descriptor.Name));
        dlls.insert(dll);
        const auto allowed = XP_IMPORTS.find(dll);
        ASSERT_NE(allowed, XP_IMPORTS.end()) << "imports from " << dll;
        const DWORD thunks = descriptor.OriginalFirstThunk != 0 ? descriptor.OriginalFirstThunk
                                                                : descriptor.FirstThunk;
        size_t thunkAt = image.OffsetOf(thunks);
        DWORD thunk;
        for (; image.ReadAt(thunkAt, &thunk) && thunk != 0; thunkAt += sizeof thunk) {
            EXPECT_EQ(thunk & IMAGE_ORDINAL_FLAG32, 0u) << dll << " imported by ordinal";
            const std::string function = image.StringAt(thunk + 2);  // after the hint
            EXPECT_EQ(allowed->second.count(function), 1u) << dll << "!" << function;
        }
    }
    EXPECT_EQ(dlls,
              (std::set<std::string>{"ADVAPI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL"}));
}

TEST_F(SetupImageTest, CarriesOnlyTheJapaneseLanternIcon) {
    ASSERT_NE(image.Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress, 0u);
    bool named = false;
    const auto types = ResourceEntries(0, &named);
    EXPECT_FALSE(named);
    std::map<DWORD, DWORD> typeOffsets(types.begin(), types.end());
    std::set<DWORD> typeIds;
    for (const auto& type : types) typeIds.insert(type.first);
    // No manifest, version information, string table, dialog or menu.
    ASSERT_EQ(typeIds, (std::set<DWORD>{3 /* RT_ICON */, 14 /* RT_GROUP_ICON */}));

    const std::string group = OnlyResource(typeOffsets[14], 101);
    // GRPICONDIR: reserved, type 1, count; then 14-byte entries.
    ASSERT_EQ(group.size(), 6u + 14u);
    const unsigned char* g = reinterpret_cast<const unsigned char*>(group.data());
    EXPECT_EQ(g[2] | g[3] << 8, 1) << "an icon, not a cursor";
    EXPECT_EQ(g[4] | g[5] << 8, 1) << "one image";
    EXPECT_EQ(g[6], 32) << "width";
    EXPECT_EQ(g[7], 32) << "height";
    EXPECT_EQ(g[8], 0) << "colour count 0 stands for 256";
    EXPECT_EQ(g[12] | g[13] << 8, 8) << "bits per pixel";
    EXPECT_EQ(g[18] | g[19] << 8, 1) << "icon id";

    const std::string icon = OnlyResource(typeOffsets[3], 1);
    BITMAPINFOHEADER header;
    ASSERT_GE(icon.size(), sizeof header);
    memcpy(&header, icon.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64) << "colour rows and mask rows";
    EXPECT_EQ(header.biBitCount, 8);
    // Header, 256-colour palette, 32x32 colour indices, 32x32 one-bit mask.
    EXPECT_EQ(icon.size(), sizeof header + 256 * 4 + 32 * 32 + 32 * 4);
}

}  // namespace
