// Built without the seam's macros, so the real functions are called here.
#include <windows.h>

#include <map>
#include <set>
#include <string.h>

#include "fault_plan.h"

namespace {

struct Run {
    unsigned failAt = 0;
    std::string ownPath;
    std::vector<FaultCall> calls;
    bool hit = false;
    std::map<HANDLE, std::string> handles;  // open handles and the paths they were opened for
    std::set<void*> blocks;
};

Run& TheRun() {
    static Run run;
    return run;
}

std::string PathOf(HANDLE file) {
    auto found = TheRun().handles.find(file);
    return found == TheRun().handles.end() ? std::string("?") : found->second;
}

// Records the call; true when this is the one that must fail. Nothing more is counted after it,
// so that the code's clean-up is observed but not failed too.
bool ShouldFail(const char* operation, const std::string& path) {
    Run& run = TheRun();
    if (run.hit) return false;
    run.calls.push_back({operation, path});
    if (run.calls.size() != run.failAt) return false;
    run.hit = true;
    return true;
}

}  // namespace

void StartFaultRun(unsigned failAt, const std::string& ownPath) {
    Run& run = TheRun();
    run.failAt = failAt;
    run.ownPath = ownPath;
    run.calls.clear();
    run.hit = false;
}

const std::vector<FaultCall>& FaultCalls() {
    return TheRun().calls;
}
bool FaultHit() {
    return TheRun().hit;
}
int OpenHandleCount() {
    return static_cast<int>(TheRun().handles.size());
}
int LiveAllocationCount() {
    return static_cast<int>(TheRun().blocks.size());
}

HANDLE FaultCreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                        DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (ShouldFail("CreateFileA", path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(path, access, share, security, disposition, flags, templateFile);
    if (file != INVALID_HANDLE_VALUE) TheRun().handles[file] = path;
    return file;
}

BOOL FaultReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED overlapped) {
    if (ShouldFail("ReadFile", PathOf(file))) {
        *done = 0;
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    return ReadFile(file, buffer, count, done, overlapped);
}

// A full disk: half of the bytes reach the file, then the write fails.
BOOL FaultWriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD done,
                    LPOVERLAPPED overlapped) {
    if (ShouldFail("WriteFile", PathOf(file))) {
        DWORD partial = 0;
        WriteFile(file, buffer, count / 2, &partial, overlapped);
        *done = partial;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(file, buffer, count, done, overlapped);
}

DWORD FaultSetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    if (ShouldFail("SetFilePointer", PathOf(file))) {
        SetLastError(ERROR_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    return SetFilePointer(file, distance, distanceHigh, method);
}

DWORD FaultGetFileSize(HANDLE file, LPDWORD sizeHigh) {
    if (ShouldFail("GetFileSize", PathOf(file))) {
        SetLastError(ERROR_READ_FAULT);
        return INVALID_FILE_SIZE;
    }
    return GetFileSize(file, sizeHigh);
}

BOOL FaultCloseHandle(HANDLE handle) {
    TheRun().handles.erase(handle);
    return CloseHandle(handle);
}

BOOL FaultFlushFileBuffers(HANDLE file) {
    if (ShouldFail("FlushFileBuffers", PathOf(file))) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return FlushFileBuffers(file);
}

BOOL FaultSetFileAttributesA(LPCSTR path, DWORD attributes) {
    if (ShouldFail("SetFileAttributesA", path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return SetFileAttributesA(path, attributes);
}

DWORD FaultGetFileAttributesA(LPCSTR path) {
    if (ShouldFail("GetFileAttributesA", path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_FILE_ATTRIBUTES;
    }
    return GetFileAttributesA(path);
}

BOOL FaultMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    if (ShouldFail("MoveFileExA", to)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return MoveFileExA(from, to, flags);
}

// Clean-up: observed, never failed.
BOOL FaultDeleteFileA(LPCSTR path) {
    return DeleteFileA(path);
}

DWORD FaultGetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    const std::string& own = TheRun().ownPath;
    if (own.size() >= size) return size;
    memcpy(buffer, own.c_str(), own.size() + 1);
    return static_cast<DWORD>(own.size());
}

void* FaultMalloc(size_t size) {
    if (ShouldFail("malloc", "")) return nullptr;
    void* block = malloc(size);
    if (block != nullptr) TheRun().blocks.insert(block);
    return block;
}

void FaultFree(void* block) {
    if (block != nullptr) TheRun().blocks.erase(block);
    free(block);
}
