#pragma once

#include <stdint.h>
#include <windows.h>

// Sole owner of one operating-system file handle, opened in one of two fixed ways. Every failure is
// reported through the return value; the handle is closed when the object leaves its scope.
class FileHandle {
  public:
    FileHandle() : handle_(INVALID_HANDLE_VALUE) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Existing file, shared with other readers only. Refused while a handle is held.
    bool OpenForRead(const char* path);
    // Created or truncated, shared with nobody. Refused while a handle is held.
    bool OpenForWrite(const char* path);
    void Close();

    // Bytes transferred; 0 when the call fails. Callers compare with the count they asked for.
    uint32_t Read(void* buffer, uint32_t count);
    uint32_t Write(const void* buffer, uint32_t count);
    // True exactly when the file position is now the given absolute position.
    bool SeekTo(uint32_t position);
    // Low 32 bits of the size; 0xFFFFFFFF when closed or on failure.
    uint32_t GetSize();
    // Pushes written data to the disk before the file is put in place of another.
    bool Flush();

  private:
    bool Open(const char* path, DWORD access, DWORD shareMode, DWORD disposition);

    HANDLE handle_;
};
