#include "win32_files.h"

#include <algorithm>

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD count = 0;
    while (ReadFile(file, chunk, sizeof chunk, &count, nullptr) && count != 0) {
        bytes.append(chunk, count);
    }
    CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD count = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
        count == bytes.size();
    CloseHandle(file);
    return ok;
}

bool FileExists(const std::string& path) {
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

void AddToSnapshot(const std::string& folder, const std::string& prefix,
                   std::map<std::string, std::string>& files) {
    for (const std::string& name : ListFolder(folder)) {
        const std::string path = folder + "\\" + name;
        if (Attributes(path) & FILE_ATTRIBUTE_DIRECTORY) {
            files[prefix + name + "\\"] = "";
            AddToSnapshot(path, prefix + name + "\\", files);
        } else {
            files[prefix + name] = ReadWholeFile(path);
        }
    }
}

}  // namespace

std::map<std::string, std::string> SnapshotTree(const std::string& folder) {
    std::map<std::string, std::string> files;
    AddToSnapshot(folder, "", files);
    return files;
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

void ScratchFolder::RemoveTree(const std::string& path) {
    for (const std::string& name : ListFolder(path)) {
        const std::string child = path + "\\" + name;
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (Attributes(child) & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(child);
        } else {
            DeleteFileA(child.c_str());
        }
    }
    RemoveDirectoryA(path.c_str());
}

namespace {

std::string TempFolder() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return temp;
}

}  // namespace

ScratchFolder::ScratchFolder() : ScratchFolder(TempFolder()) {}

ScratchFolder::ScratchFolder(const std::string& parent) {
    static unsigned counter = 0;
    for (;;) {
        path_ = parent + "updater-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            path_ = parent + "missing-folder";  // tests then fail on their first file
            break;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

DWORD RunProgram(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}
