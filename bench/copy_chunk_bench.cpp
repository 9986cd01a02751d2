// Measures how fast Win32 ReadFile/WriteFile copy a large file through buffers of different sizes,
// the way the updater copies a carried file, to choose its copy buffer. Prints figures only.
//   copy_chunk_bench SOURCE TARGET [ROUNDS]
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

bool Copy(const char* source, const char* target, char* buffer, DWORD chunk) {
    HANDLE in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    HANDLE out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE, nullptr);
    bool ok = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE;
    DWORD count = 0;
    while (ok && ReadFile(in, buffer, chunk, &count, nullptr) && count != 0) {
        DWORD written = 0;
        ok = WriteFile(out, buffer, count, &written, nullptr) && written == count;
    }
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: copy_chunk_bench SOURCE TARGET [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? atoi(argv[3]) : 5;
    const DWORD chunks[] = {64 << 10, 256 << 10, 1 << 20, 4 << 20, 16 << 20};
    const int kinds = sizeof chunks / sizeof chunks[0];
    char* buffer = static_cast<char*>(malloc(chunks[kinds - 1]));
    double best[kinds];
    for (int k = 0; k < kinds; ++k) best[k] = 1e9;

    WIN32_FILE_ATTRIBUTE_DATA info;
    GetFileAttributesExA(argv[1], GetFileExInfoStandard, &info);
    const double megabytes = info.nFileSizeLow / 1048576.0 + info.nFileSizeHigh * 4096.0;

    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < kinds; ++k) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            if (!Copy(argv[1], argv[2], buffer, chunks[k])) {
                fprintf(stderr, "copy failed\n");
                return 1;
            }
            QueryPerformanceCounter(&end);
            const double s = Seconds(start, end);
            if (s < best[k]) best[k] = s;
        }
    }
    printf("%.0f MiB, best of %d rounds\n", megabytes, rounds);
    for (int k = 0; k < kinds; ++k) {
        printf("  buffer %6lu KiB: %7.3f s  %7.0f MiB/s\n", chunks[k] >> 10, best[k],
               megabytes / best[k]);
    }
    free(buffer);
    return 0;
}
