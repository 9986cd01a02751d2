#include "platform.h"

#include <errno.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#ifdef _WIN32
const char HOST_PATH_SEPARATOR = '\\';
#else
const char HOST_PATH_SEPARATOR = '/';
#endif

FILE* OpenFile(const std::string& path, const char* mode) {
    // Linux opens a folder for reading and then reports an absurd size for it.
    if (IsFolder(path)) {
        errno = EISDIR;
        return nullptr;
    }
    return fopen(path.c_str(), mode);
}

bool SeekFile64(FILE* file, uint64_t position) {
    if (position > uint64_t{INT64_MAX}) return false;
#ifdef _WIN32
    return _fseeki64(file, static_cast<int64_t>(position), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

bool GetFileSize64(FILE* file, uint64_t* size) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return false;
    const int64_t end = _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0) return false;
    const int64_t end = ftello(file);
#endif
    if (end < 0 || !SeekFile64(file, 0)) return false;
    *size = static_cast<uint64_t>(end);
    return true;
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // rename() refuses to replace an existing file on Windows.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    errno = EACCES;
    return false;
#else
    return rename(from.c_str(), to.c_str()) == 0;
#endif
}

bool IsFolder(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == S_IFDIR;
}

bool MakeFolder(const std::string& path) {
#ifdef _WIN32
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    errno = GetLastError() == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
#else
    if (mkdir(path.c_str(), 0777) == 0) return true;
#endif
    const int error = errno;
    if (IsFolder(path)) return true;
    errno = error;
    return false;
}

bool IsTerminal(FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}
