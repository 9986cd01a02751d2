// Feeds arbitrary updater files to the publisher's tool: reading the PE image, verifying, listing
// and extracting. Whatever verify passes must also pass the updater's own checks, and extracting it
// must write only inside the chosen folder. Input: a 16-bit image length, the image, the package.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "extract_updater.h"
#include "list_updater.h"
#include "package_format.h"
#include "pe_image.h"
#include "platform.h"
#include "updater_directory.h"
#include "verify_updater.h"

namespace fs = std::filesystem;

namespace {

// A folder of this process's own, removed when the fuzzer ends.
class ScratchWorkFolder {
  public:
    ScratchWorkFolder()
        : path_(fs::temp_directory_path() / ("updater-file-fuzz-" + std::to_string(getpid()))) {}
    ~ScratchWorkFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

const fs::path& WorkFolder() {
    static const ScratchWorkFolder folder;
    return folder.Path();
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "wb"));
    return file && fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t imageSize = data[0] | data[1] << 8;
    data += 2;
    size -= 2;
    if (imageSize > size) imageSize = size;

    uint64_t imageEnd = 0;
    std::string problem;
    FindPeImageEnd(data, imageSize, &imageEnd, &problem);

    std::string bytes(reinterpret_cast<const char*>(data), imageSize);
    bytes.resize(PACKAGE_OFFSET, '\0');
    bytes.append(reinterpret_cast<const char*>(data + imageSize), size - imageSize);
    fs::create_directories(WorkFolder());
    const std::string path = (WorkFolder() / "setup.exe").string();
    if (!WriteBytes(path, bytes)) abort();

    const bool clean = VerifyUpdater(path).empty();

    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "rb"));
    UpdaterDirectory directory;
    std::string error;
    if (ReadUpdaterDirectory(file.get(), path, &directory, &error)) {
        FormatListing(path, directory);
        FormatListingJson(path, directory);
        for (size_t i = 0; clean && i < directory.entries.size(); ++i) {
            uint32_t at = 0;
            if (!IsSafeEntryName(directory.entries[i].name)) abort();
            if (!LocateEntryData(directory.header.entryCount, directory.entries[i],
                                 static_cast<uint32_t>(bytes.size()), &at)) {
                abort();
            }
        }
    } else if (clean) {
        abort();
    }

    if (clean) {
        const fs::path out = WorkFolder() / "out";
        if (!ExtractUpdater(path, out.string(), nullptr, &error)) {
            fprintf(stderr, "verify passed, extract failed: %s\n", error.c_str());
            abort();
        }
        for (const auto& entry : fs::recursive_directory_iterator(out)) {
            // A name such as "..me.dat" is fine; only a first component ".." leaves the folder.
            const fs::path inside = entry.path().lexically_relative(out);
            if (inside.empty() || *inside.begin() == ".." || entry.is_symlink()) abort();
        }
        fs::remove_all(out);
    }
    return 0;
}
