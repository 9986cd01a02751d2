#pragma once
// Force-included into a second, test-only build of the package code: every platform call that the
// installation makes goes through a counter, and the Nth call can be made to fail. The shipped
// updater is built from the same sources without this header.

#include <stdlib.h>
#include <windows.h>

HANDLE FaultCreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                        DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL FaultReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED overlapped);
BOOL FaultWriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD done,
                    LPOVERLAPPED overlapped);
DWORD FaultSetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
DWORD FaultGetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL FaultCloseHandle(HANDLE handle);
BOOL FaultFlushFileBuffers(HANDLE file);
BOOL FaultSetFileAttributesA(LPCSTR path, DWORD attributes);
DWORD FaultGetFileAttributesA(LPCSTR path);
BOOL FaultMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
BOOL FaultDeleteFileA(LPCSTR path);
DWORD FaultGetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
void* FaultMalloc(size_t size);
void FaultFree(void* block);

#define CreateFileA FaultCreateFileA
#define ReadFile FaultReadFile
#define WriteFile FaultWriteFile
#define SetFilePointer FaultSetFilePointer
#define GetFileSize FaultGetFileSize
#define CloseHandle FaultCloseHandle
#define FlushFileBuffers FaultFlushFileBuffers
#define SetFileAttributesA FaultSetFileAttributesA
#define GetFileAttributesA FaultGetFileAttributesA
#define MoveFileExA FaultMoveFileExA
#define DeleteFileA FaultDeleteFileA
#define GetModuleFileNameA FaultGetModuleFileNameA
#define malloc FaultMalloc
#define free FaultFree
