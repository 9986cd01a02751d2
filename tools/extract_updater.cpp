#include "extract_updater.h"

#include <errno.h>
#include <string.h>

#include <memory>

#include "entry_name.h"
#include "platform.h"
#include "progress_bar.h"
#include "stream_copy.h"
#include "updater_directory.h"

namespace {

using File = std::unique_ptr<FILE, FileCloser>;

bool Fail(std::string* error, const std::string& text) {
    *error = text;
    return false;
}

bool CheckEntries(const UpdaterDirectory& directory, const std::string& path, std::string* error) {
    for (size_t i = 0; i < directory.entries.size(); ++i) {
        const PackageEntry& entry = directory.entries[i];
        const std::string which =
            path + ": entry " + std::to_string(i) + " " + QuotedName(NameInField(entry.name));
        if (!IsSafeEntryName(entry.name)) {
            return Fail(error, which + ": refused, the name " + DescribeUnsafeName(entry.name));
        }
        uint32_t start = 0;
        if (!FindEntryData(directory, i, &start)) {
            return Fail(error, which + ": its data runs past the end of the file");
        }
    }
    return true;
}

// The target path under folder; the folders on the way are created.
bool MakeTargetPath(const std::string& folder, const std::string& name, std::string* target,
                    std::string* error) {
    *target = folder;
    size_t start = 0;
    for (;;) {
        const size_t stop = FindNameSeparator(name, start);
        *target += HOST_PATH_SEPARATOR;
        *target += name.substr(start, stop - start);
        if (stop == std::string::npos) return true;
        if (!MakeFolder(*target)) {
            return Fail(error, *target + ": cannot create the folder: " + strerror(errno));
        }
        start = stop + 1;
    }
}

}  // namespace

bool ExtractUpdater(const std::string& path, const std::string& folder, FILE* progressTo,
                    std::string* error) {
    File file(OpenFile(path, "rb"));
    if (!file) return Fail(error, path + ": cannot read: " + strerror(errno));
    UpdaterDirectory directory;
    if (!ReadUpdaterDirectory(file.get(), path, &directory, error) ||
        !CheckEntries(directory, path, error)) {
        return false;
    }
    if (!MakeFolder(folder)) {
        return Fail(error, folder + ": cannot create the folder: " + strerror(errno));
    }

    uint64_t total = 0;
    for (const PackageEntry& entry : directory.entries) total += entry.size;
    ProgressBar progress(progressTo, progressTo != nullptr && total >= PROGRESS_WORTH_SHOWING,
                         total);
    std::vector<char> buffer;
    for (size_t i = 0; i < directory.entries.size(); ++i) {
        const PackageEntry& entry = directory.entries[i];
        std::string target;
        uint32_t start = 0;
        FindEntryData(directory, i, &start);
        if (!MakeTargetPath(folder, NameInField(entry.name), &target, error)) return false;
        File output(OpenFile(target, "wb"));
        if (!output) return Fail(error, target + ": cannot create: " + strerror(errno));
        if (!SeekFile64(file.get(), start)) {
            return Fail(error, path + ": cannot read: " + strerror(errno));
        }
        switch (CopyBytes(file.get(), output.get(), entry.size, &buffer, &progress)) {
            case COPY_OK:
                break;
            case COPY_READ_FAILED:
                return Fail(error, path + ": cannot read the data of entry " + std::to_string(i));
            case COPY_WRITE_FAILED:
                return Fail(error, target + ": cannot write: " + strerror(errno));
        }
        if (fclose(output.release()) != 0) {
            return Fail(error, target + ": cannot write: " + strerror(errno));
        }
    }
    return true;
}
