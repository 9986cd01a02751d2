#include "list_updater.h"

#include <stdarg.h>
#include <stdio.h>

#include "entry_name.h"

namespace {

uint64_t DataStart(const UpdaterDirectory& directory) {
    return PackageDataStart(static_cast<uint32_t>(directory.entries.size()));
}

std::string Row(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Row(const char* format, ...) {
    char line[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    return line;
}

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            json += static_cast<char>(c);
        } else {
            json += Row("\\u%04x", c);  // Latin-1 reading of the byte, so the string stays valid
        }
    }
    return json + "\"";
}

std::string Hex(const std::string& bytes) {
    std::string hex;
    for (unsigned char c : bytes) hex += Row("%02x", c);
    return hex;
}

unsigned long long U64(uint64_t value) {
    return value;
}

}  // namespace

std::string FormatListing(const std::string& path, const UpdaterDirectory& directory) {
    const uint64_t dataStart = DataStart(directory);
    std::string text = path + ": " + std::to_string(directory.fileSize) + " bytes, " +
                       std::to_string(directory.entries.size()) +
                       (directory.entries.size() == 1 ? " file" : " files") +
                       ", package header at " + std::to_string(PACKAGE_OFFSET) + ", data from " +
                       std::to_string(dataStart) + "\n";
    text += Row("%3s  %-20s %10s %10s %10s %10s\n", "#", "name", "offset", "size", "start", "end");
    for (size_t i = 0; i < directory.entries.size(); ++i) {
        const PackageEntry& entry = directory.entries[i];
        const uint64_t start = dataStart + entry.offset;
        text += Row("%3u  %-20s %10u %10u %10llu %10llu\n", static_cast<unsigned>(i),
                    QuotedName(NameInField(entry.name)).c_str(), entry.offset, entry.size,
                    U64(start), U64(start + entry.size));
    }
    return text;
}

std::string FormatListingJson(const std::string& path, const UpdaterDirectory& directory) {
    const uint64_t dataStart = DataStart(directory);
    const std::string magic(directory.header.magic, sizeof directory.header.magic);
    std::string json = "{\n";
    json += "  \"file\": " + JsonString(path) + ",\n";
    json += "  \"file_size\": " + std::to_string(directory.fileSize) + ",\n";
    json += "  \"package_offset\": " + std::to_string(PACKAGE_OFFSET) + ",\n";
    json += "  \"magic\": " + JsonString(magic) + ",\n";
    json += "  \"entry_count\": " + std::to_string(directory.entries.size()) + ",\n";
    json += "  \"data_start\": " + std::to_string(dataStart) + ",\n";
    json += "  \"entries\": [";
    for (size_t i = 0; i < directory.entries.size(); ++i) {
        const PackageEntry& entry = directory.entries[i];
        const std::string name = NameInField(entry.name);
        const uint64_t start = dataStart + entry.offset;
        json += i == 0 ? "\n" : ",\n";
        json += "    {\"name\": " + JsonString(name) + ", \"name_hex\": \"" + Hex(name) +
                "\", \"offset\": " + std::to_string(entry.offset) +
                ", \"size\": " + std::to_string(entry.size) +
                ", \"file_start\": " + std::to_string(start) +
                ", \"file_end\": " + std::to_string(start + entry.size) + "}";
    }
    json += directory.entries.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return json;
}
