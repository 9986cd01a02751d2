// The updater's runtime start-up, in place of MinGW's: the updater needs none of what that sets up
// (no C++ static objects, no exit handlers, no command-line parsing, no threads), and leaving it
// out saves most of the image. msvcrt initialises itself when it is loaded, so its functions work
// from the first instruction here.
#include <windows.h>

namespace {

// The command line after the program name, as WinMain expects it: the first token may be quoted.
LPSTR ArgumentsAfterProgramName() {
    char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

int ShowState() {
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

// The entry point named to the linker. The stack is realigned because the loader promises only
// four bytes.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainStartup() {
    ExitProcess(static_cast<UINT>(
        WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsAfterProgramName(), ShowState())));
}
