#include "build_updater.h"

#include <errno.h>
#include <string.h>

#include <memory>

#include "entry_name.h"
#include "package_format.h"
#include "pe_image.h"
#include "platform.h"
#include "progress_bar.h"
#include "stream_copy.h"

namespace {

using File = std::unique_ptr<FILE, FileCloser>;

bool Fail(std::string* error, const std::string& text) {
    *error = text;
    return false;
}

std::string SystemError() {
    return strerror(errno);
}

bool CheckNames(const std::vector<PackageInput>& inputs, const std::string& outputPath,
                std::string* error) {
    if (inputs.size() > MAX_PACKAGE_FILES) {
        return Fail(error, outputPath + ": too many files: " + std::to_string(inputs.size()) +
                               "; an updater carries at most " + std::to_string(MAX_PACKAGE_FILES));
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string problem = ProblemWithNewName(inputs[i].name);
        if (!problem.empty()) return Fail(error, inputs[i].path + ": " + problem);
        for (size_t j = 0; j < i; ++j) {
            if (SameEntryName(inputs[i].name, inputs[j].name)) {
                return Fail(error, inputs[i].path + ": the name " + QuotedName(inputs[i].name) +
                                       " is already given to " + inputs[j].path + " as " +
                                       QuotedName(inputs[j].name) +
                                       "; the updater would write one file twice");
            }
            if (IsFolderOf(inputs[i].name, inputs[j].name) ||
                IsFolderOf(inputs[j].name, inputs[i].name)) {
                return Fail(error, inputs[i].path + ": the name " + QuotedName(inputs[i].name) +
                                       " clashes with " + QuotedName(inputs[j].name) + " of " +
                                       inputs[j].path +
                                       ": one would be a file and a folder at once, and the "
                                       "updater could not write both");
            }
        }
    }
    return true;
}

// The image with the padding it will be followed by, checked so that the result verifies.
bool ReadImage(const std::string& path, std::string* image, std::string* error) {
    File file(OpenFile(path, "rb"));
    uint64_t size = 0;
    if (!file || !GetFileSize64(file.get(), &size)) {
        return Fail(error, path + ": cannot read the image: " + SystemError());
    }
    if (size > PACKAGE_OFFSET) {
        return Fail(error, path + ": the image is " + std::to_string(size) +
                               " bytes, larger than the " + std::to_string(PACKAGE_OFFSET) +
                               " bytes that lie before the package");
    }
    image->resize(static_cast<size_t>(size));
    if (fread(&(*image)[0], 1, image->size(), file.get()) != image->size()) {
        return Fail(error, path + ": cannot read the image: " + SystemError());
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(image->data());
    uint64_t end = 0;
    std::string problem;
    if (!FindPeImageEnd(bytes, image->size(), &end, &problem)) {
        return Fail(error, path + ": " + problem);
    }
    if (end > image->size()) {
        return Fail(error, path + ": the image is cut short: its headers place data up to offset " +
                               std::to_string(end) + " but the file has " +
                               std::to_string(image->size()) + " bytes");
    }
    for (size_t at = static_cast<size_t>(end); at < image->size(); ++at) {
        if (bytes[at] != 0) {
            return Fail(error, path + ": byte " + std::to_string(at) +
                                   " after the executable's end (offset " + std::to_string(end) +
                                   ") is not zero; data appended to the image would be taken "
                                   "for damage");
        }
    }
    image->resize(PACKAGE_OFFSET, '\0');
    return true;
}

bool OpenInputs(const std::vector<PackageInput>& inputs, std::vector<File>* files,
                std::vector<uint64_t>* sizes, std::string* error) {
    for (const PackageInput& input : inputs) {
        File file(OpenFile(input.path, "rb"));
        uint64_t size = 0;
        if (!file || !GetFileSize64(file.get(), &size)) {
            return Fail(error, input.path + ": cannot read: " + SystemError());
        }
        files->push_back(std::move(file));
        sizes->push_back(size);
    }
    return true;
}

std::string PackageHead(const std::vector<PackageInput>& inputs,
                        const std::vector<uint64_t>& sizes) {
    PackageHeader header;
    memcpy(header.magic, PACKAGE_MAGIC, sizeof header.magic);
    header.entryCount = static_cast<uint32_t>(inputs.size());
    std::string head(reinterpret_cast<const char*>(&header), sizeof header);
    uint32_t offset = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        PackageEntry entry = {};
        FillNameField(inputs[i].name, entry.name);
        entry.offset = offset;
        entry.size = static_cast<uint32_t>(sizes[i]);
        offset += entry.size;
        head.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    }
    return head;
}

bool WriteAll(const std::string& image, const std::string& head,
              const std::vector<PackageInput>& inputs, std::vector<File>& files,
              const std::vector<uint64_t>& sizes, uint64_t total, FILE* output,
              const std::string& outputPath, FILE* progressTo, std::string* error) {
    ProgressBar progress(progressTo, progressTo != nullptr && total >= PROGRESS_WORTH_SHOWING,
                         total);
    if (fwrite(image.data(), 1, image.size(), output) != image.size() ||
        fwrite(head.data(), 1, head.size(), output) != head.size()) {
        return Fail(error, outputPath + ": cannot write: " + SystemError());
    }
    progress.Advance(image.size() + head.size());
    std::vector<char> buffer;
    for (size_t i = 0; i < inputs.size(); ++i) {
        switch (CopyBytes(files[i].get(), output, sizes[i], &buffer, &progress)) {
            case COPY_OK:
                break;
            case COPY_READ_FAILED:
                return Fail(error, inputs[i].path + ": cannot read all " +
                                       std::to_string(sizes[i]) +
                                       " bytes (did it change while the updater was built?)");
            case COPY_WRITE_FAILED:
                return Fail(error, outputPath + ": cannot write: " + SystemError());
        }
    }
    if (fflush(output) != 0) return Fail(error, outputPath + ": cannot write: " + SystemError());
    return true;
}

}  // namespace

bool BuildUpdater(const std::string& imagePath, const std::vector<PackageInput>& inputs,
                  const std::string& outputPath, FILE* progressTo, std::string* error) {
    std::string image;
    std::vector<File> files;
    std::vector<uint64_t> sizes;
    if (!CheckNames(inputs, outputPath, error) || !ReadImage(imagePath, &image, error) ||
        !OpenInputs(inputs, &files, &sizes, error)) {
        return false;
    }
    uint64_t total = PackageDataStart(static_cast<uint32_t>(inputs.size()));
    for (size_t i = 0; i < inputs.size(); ++i) {
        // Refused one by one first, so that the sum of at most 16 sizes cannot wrap.
        if (sizes[i] > MAX_UPDATER_FILE_SIZE) {
            return Fail(error, inputs[i].path + ": the file is " + std::to_string(sizes[i]) +
                                   " bytes; an updater must stay below 2 GiB");
        }
        total += sizes[i];
    }
    if (total > MAX_UPDATER_FILE_SIZE) {
        return Fail(error, outputPath + ": the updater would be " + std::to_string(total) +
                               " bytes; it must stay below 2 GiB (" +
                               std::to_string(MAX_UPDATER_FILE_SIZE + 1) + " bytes)");
    }

    const std::string head = PackageHead(inputs, sizes);
    const std::string temporaryPath = outputPath + ".updpack-tmp";
    File output(OpenFile(temporaryPath, "wb"));
    if (!output) return Fail(error, temporaryPath + ": cannot create: " + SystemError());
    bool written = WriteAll(image, head, inputs, files, sizes, total, output.get(), outputPath,
                            progressTo, error);
    if (fclose(output.release()) != 0 && written) {
        written = Fail(error, outputPath + ": cannot write: " + SystemError());
    }
    if (written && !ReplaceFileWith(temporaryPath, outputPath)) {
        written =
            Fail(error, outputPath + ": cannot put the finished file in place: " + SystemError());
    }
    if (!written) remove(temporaryPath.c_str());
    return written;
}
