// Measures how the way a target file is created changes the time of a ReadFile/WriteFile copy,
// with the time of the closing CloseHandle shown apart. Under Wine, CREATE_ALWAYS opens the file
// and then truncates it to zero even when it is new; on ext4 a file truncated to zero has its data
// allocated and sent towards the disk when it is closed (the "replace by truncate" safeguard), so
// that close waits. CREATE_NEW creates without truncating. Prints figures only.
//   create_disposition_bench SOURCE TARGET [ROUNDS]
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

const DWORD CHUNK = 256 << 10;  // the updater's copy buffer

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

struct Timing {
    double copy = 0;   // open, read and write every chunk
    double close = 0;  // CloseHandle of the target
};

// The target is deleted before, so both dispositions create a new file.
bool Copy(const char* source, const char* target, DWORD disposition, char* buffer, Timing* timing) {
    DeleteFileA(target);
    const double start = Now();
    HANDLE in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    HANDLE out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, disposition,
                             FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE, nullptr);
    bool ok = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE;
    DWORD count = 0;
    while (ok && ReadFile(in, buffer, CHUNK, &count, nullptr) && count != 0) {
        DWORD written = 0;
        ok = WriteFile(out, buffer, count, &written, nullptr) && written == count;
    }
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    const double copied = Now();
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    timing->copy = copied - start;
    timing->close = Now() - copied;
    return ok;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: create_disposition_bench SOURCE TARGET [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? atoi(argv[3]) : 5;
    char* buffer = static_cast<char*>(malloc(CHUNK));
    if (buffer == nullptr || rounds < 1) return 1;

    struct Kind {
        const char* name;
        DWORD disposition;
        std::vector<double> copy, close;
    };
    Kind kinds[] = {{"CREATE_ALWAYS", CREATE_ALWAYS, {}, {}}, {"CREATE_NEW", CREATE_NEW, {}, {}}};

    WIN32_FILE_ATTRIBUTE_DATA info;
    GetFileAttributesExA(argv[1], GetFileExInfoStandard, &info);
    const double megabytes = info.nFileSizeLow / 1048576.0 + info.nFileSizeHigh * 4096.0;

    // Interleaved, so that a busy moment of the machine does not favour one kind.
    for (int round = 0; round < rounds; ++round) {
        for (Kind& kind : kinds) {
            Timing timing;
            if (!Copy(argv[1], argv[2], kind.disposition, buffer, &timing)) {
                fprintf(stderr, "copy with %s failed\n", kind.name);
                return 1;
            }
            kind.copy.push_back(timing.copy);
            kind.close.push_back(timing.close);
        }
    }
    DeleteFileA(argv[2]);
    printf("%.0f MiB into a new file through a %lu KiB buffer, medians of %d rounds\n", megabytes,
           CHUNK >> 10, rounds);
    for (const Kind& kind : kinds) {
        const double copy = Median(kind.copy), close = Median(kind.close);
        printf("  %-13s  copy %4.0f ms + close %4.0f ms = %4.0f ms  (%4.0f MiB/s)\n", kind.name,
               copy * 1000, close * 1000, (copy + close) * 1000, megabytes / (copy + close));
    }
    free(buffer);
    return 0;
}
