// dialog_driver.exe [--answer yes|no|enter|player] [--report FILE] [--shots DIR] -- PROGRAM [ARGS]
// Runs PROGRAM, answers its message boxes (with "player", leaves them to the person at the screen
// and only watches) and writes the report (UTF-8) to FILE or to the output. Exits with 0 when the
// program ran to its end, 1 when it did not start or had to be ended, 2 on a usage error; the
// program's own exit status is in the report.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "dialog_driver.h"

namespace {

int Usage() {
    fputs(
        "usage: dialog_driver [--answer yes|no|enter|player] [--report FILE]\n"
        "                     [--shots DIR] -- PROGRAM [ARGS]\n",
        stderr);
    return 2;
}

std::string Quoted(const char* argument) {
    if (*argument != '\0' && strpbrk(argument, " \t\"") == nullptr) return argument;
    std::string quoted = "\"";
    for (const char* c = argument; *c != '\0'; ++c) {
        if (*c == '"') quoted += '\\';
        quoted += *c;
    }
    return quoted + "\"";
}

bool WriteAll(const std::string& path, const std::string& text) {
    if (path.empty()) {
        DWORD written = 0;
        return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(),
                         static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    }
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool ok = fwrite(text.data(), 1, text.size(), out) == text.size();
    return fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    DriveOptions options;
    std::string reportPath;
    int i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; i += 2) {
        if (i + 1 >= argc) return Usage();
        if (strcmp(argv[i], "--answer") == 0 && strcmp(argv[i + 1], "yes") == 0) {
            options.answer = IDYES;
        } else if (strcmp(argv[i], "--answer") == 0 && strcmp(argv[i + 1], "no") == 0) {
            options.answer = IDNO;
        } else if (strcmp(argv[i], "--answer") == 0 && strcmp(argv[i + 1], "enter") == 0) {
            options.answer = ANSWER_ENTER;
        } else if (strcmp(argv[i], "--answer") == 0 && strcmp(argv[i + 1], "player") == 0) {
            options.answer = ANSWER_PLAYER;
            options.timeoutMs = INFINITE;
        } else if (strcmp(argv[i], "--report") == 0) {
            reportPath = argv[i + 1];
        } else if (strcmp(argv[i], "--shots") == 0) {
            options.shotsFolder = argv[i + 1];
            CreateDirectoryA(options.shotsFolder.c_str(), nullptr);
        } else {
            return Usage();
        }
    }
    if (i + 1 >= argc) return Usage();
    std::string commandLine;
    for (++i; i < argc; ++i) commandLine += (commandLine.empty() ? "" : " ") + Quoted(argv[i]);

    const DriveResult result = DriveProgram(commandLine, options);
    if (!WriteAll(reportPath, ReportText(result))) {
        fprintf(stderr, "dialog_driver: cannot write the report\n");
        return 1;
    }
    return result.started && !result.timedOut ? 0 : 1;
}
