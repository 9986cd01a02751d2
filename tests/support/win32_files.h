#pragma once
// Small Win32 helpers for tests: whole-file reads and writes, scratch folders, child processes.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

std::string ReadWholeFile(const std::string& path);  // "" when missing, see FileExists
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
DWORD Attributes(const std::string& path);
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> ListFolder(const std::string& path);
// Every file and folder under a folder, keyed by its path relative to it (folders end with a
// backslash and map to ""), with each file's bytes: compared before and after, it shows whether
// anything at all was written.
std::map<std::string, std::string> SnapshotTree(const std::string& folder);
// The folder that holds the running test program.
std::string ProgramFolder();

// A fresh folder under the temporary folder, removed with everything in it at the end of the test.
class ScratchFolder {
  public:
    ScratchFolder();
    // A fresh folder inside parent (which ends with a backslash).
    explicit ScratchFolder(const std::string& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    // Removes a folder with everything in it.
    static void RemoveTree(const std::string& path);

  private:
    std::string path_;
};

// Runs a program to its end and returns its full 32-bit exit status (0xFFFFFFFF if it did not
// start).
DWORD RunProgram(const std::string& program, const std::string& arguments);
