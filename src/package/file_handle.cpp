#include "file_handle.h"

namespace {
const DWORD OPEN_FLAGS = FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE;
}

bool FileHandle::Open(const char* path, DWORD access, DWORD shareMode, DWORD disposition) {
    if (handle_ != INVALID_HANDLE_VALUE) return false;
    handle_ = CreateFileA(path, access, shareMode, nullptr, disposition, OPEN_FLAGS, nullptr);
    return handle_ != INVALID_HANDLE_VALUE;
}

bool FileHandle::OpenForRead(const char* path) {
    return Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

bool FileHandle::OpenForWrite(const char* path) {
    return Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
}

void FileHandle::Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

uint32_t FileHandle::Read(void* buffer, uint32_t count) {
    DWORD done = 0;
    if (!ReadFile(handle_, buffer, count, &done, nullptr)) return 0;
    return done;
}

uint32_t FileHandle::Write(const void* buffer, uint32_t count) {
    DWORD done = 0;
    if (!WriteFile(handle_, buffer, count, &done, nullptr)) return 0;
    return done;
}

bool FileHandle::SeekTo(uint32_t position) {
    return SetFilePointer(handle_, static_cast<LONG>(position), nullptr, FILE_BEGIN) == position;
}

uint32_t FileHandle::GetSize() {
    return GetFileSize(handle_, nullptr);
}

bool FileHandle::Flush() {
    return FlushFileBuffers(handle_) != 0;
}
