#include "verify_updater.h"

#include <errno.h>
#include <string.h>

#include <memory>

#include "build_updater.h"
#include "entry_name.h"
#include "pe_image.h"
#include "platform.h"
#include "updater_directory.h"

namespace {

void CheckImage(FILE* file, const std::string& path, std::vector<std::string>* problems) {
    std::string head(PACKAGE_OFFSET, '\0');
    const size_t length = fread(&head[0], 1, head.size(), file);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(head.data());
    uint64_t end = 0;
    std::string problem;
    if (!FindPeImageEnd(bytes, length, &end, &problem)) {
        problems->push_back(path + ": the image: " + problem);
        return;
    }
    if (end > PACKAGE_OFFSET) {
        problems->push_back(path + ": the executable image extends to offset " +
                            std::to_string(end) + ", past the package at " +
                            std::to_string(PACKAGE_OFFSET));
        return;
    }
    size_t nonZero = 0;
    size_t first = 0;
    for (size_t at = static_cast<size_t>(end); at < length; ++at) {
        if (bytes[at] != 0 && nonZero++ == 0) first = at;
    }
    if (nonZero != 0) {
        problems->push_back(path + ": " + std::to_string(nonZero) +
                            " bytes of the padding between the image's end (" +
                            std::to_string(end) + ") and " + std::to_string(PACKAGE_OFFSET) +
                            " are not zero, the first at offset " + std::to_string(first));
    }
}

void CheckEntries(const UpdaterDirectory& directory, const std::string& path,
                  std::vector<std::string>* problems) {
    for (size_t i = 0; i < directory.entries.size(); ++i) {
        const PackageEntry& entry = directory.entries[i];
        const std::string name = NameInField(entry.name);
        const std::string which = path + ": entry " + std::to_string(i) + " " + QuotedName(name);
        if (!IsSafeEntryName(entry.name)) {
            problems->push_back(which + ": the updater refuses the name: it " +
                                DescribeUnsafeName(entry.name));
        }
        uint32_t start = 0;
        if (!FindEntryData(directory, i, &start)) {
            const uint64_t from =
                uint64_t{PackageDataStart(static_cast<uint32_t>(directory.entries.size()))} +
                entry.offset;
            problems->push_back(which + ": its data (offset " + std::to_string(entry.offset) +
                                ", size " + std::to_string(entry.size) + ") runs from " +
                                std::to_string(from) + " to " + std::to_string(from + entry.size) +
                                ", past the end of the file at " +
                                std::to_string(directory.fileSize));
        }
        for (size_t j = 0; j < i; ++j) {
            const std::string earlier = NameInField(directory.entries[j].name);
            if (SameEntryName(name, earlier)) {
                problems->push_back(which + ": names the same file as entry " + std::to_string(j) +
                                    " " + QuotedName(earlier) +
                                    "; the updater would write it twice");
                break;
            }
            if (IsFolderOf(name, earlier) || IsFolderOf(earlier, name)) {
                problems->push_back(which + ": uses the name of entry " + std::to_string(j) + " " +
                                    QuotedName(earlier) +
                                    " as a file and as a folder; the updater could not write both");
                break;
            }
        }
    }
}

}  // namespace

std::vector<std::string> VerifyUpdater(const std::string& path) {
    std::vector<std::string> problems;
    std::unique_ptr<FILE, FileCloser> file(OpenFile(path, "rb"));
    if (!file) {
        problems.push_back(path + ": cannot read: " + strerror(errno));
        return problems;
    }
    CheckImage(file.get(), path, &problems);

    UpdaterDirectory directory;
    std::string error;
    if (!ReadUpdaterDirectory(file.get(), path, &directory, &error)) {
        problems.push_back(error);
        return problems;
    }
    if (directory.fileSize > MAX_UPDATER_FILE_SIZE) {
        problems.push_back(path + ": the file is " + std::to_string(directory.fileSize) +
                           " bytes; the updater cannot address files of 2 GiB or more");
    }
    if (memcmp(directory.header.magic, PACKAGE_MAGIC, sizeof PACKAGE_MAGIC) != 0) {
        problems.push_back(path + ": the package header does not start with \"PackFile    \"");
    }
    CheckEntries(directory, path, &problems);
    return problems;
}
