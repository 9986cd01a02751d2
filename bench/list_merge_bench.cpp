// Measures MergeUninstallList on a list close to its 1 MiB capacity with 16 names that are not on
// it yet, the slowest case: every name is searched through the whole text. Prints figures only.
//   list_merge_bench FOLDER [ROUNDS]
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include <string>

#include "package_format.h"
#include "update_package.h"

namespace {

bool WriteList(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: list_merge_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int rounds = argc > 2 ? atoi(argv[2]) : 10;

    // Lines like an installer writes them, up to 16 * 16 bytes short of the capacity.
    std::string text;
    for (int i = 0; text.size() < UNINSTALL_LIST_CAPACITY - 16 * 16 - 64; ++i) {
        text += "C:\\Games\\Lantern Waltz\\data\\file" + std::to_string(i) + ".pak\n";
    }
    text += '\0';
    char names[16][16];
    const char* pointers[17];
    for (int i = 0; i < 16; ++i) {
        snprintf(names[i], sizeof names[i], "new%02d.dat", i);
        pointers[i] = names[i];
    }
    pointers[16] = nullptr;

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 1e9, total = 0;
    for (int round = 0; round < rounds; ++round) {
        if (!WriteList(folder + "\\uninst.lst", text)) {
            fprintf(stderr, "cannot write the list in %s\n", folder.c_str());
            return 1;
        }
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const bool merged = MergeUninstallList(folder.c_str(), pointers);
        QueryPerformanceCounter(&end);
        if (!merged) {
            fprintf(stderr, "merge failed\n");
            return 1;
        }
        const double seconds =
            static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        total += seconds;
        if (seconds < best) best = seconds;
    }
    printf("list merge: %u-byte list, 16 new names: best %.1f ms, mean %.1f ms over %d rounds\n",
           static_cast<unsigned>(text.size()), best * 1000, total / rounds * 1000, rounds);
    return 0;
}
