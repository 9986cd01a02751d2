#pragma once
// Drives a program that talks to the player through message boxes: starts it as a child process,
// finds each box that it shows (class "#32770", caption "Lantern Waltz", owned by the child),
// records what the player would see, answers it and reports the child's full 32-bit exit status.
// Shared by the end-to-end tests, dialog_driver.exe, the demo and the benchmark.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

enum class DialogIcon { NONE, INFORMATION, WARNING, QUESTION, ERROR_ICON, UNKNOWN };

struct ShownDialog {
    std::wstring text;
    DialogIcon icon = DialogIcon::NONE;
    std::vector<int> buttons;  // control ids (IDOK, IDYES, IDNO, ...) in the box's order
    int defaultButton = 0;     // what Enter would press; 0 when the box names none
    int pressed = 0;
    std::string screenshot;     // BMP written for this box, when screenshots were asked for
    SIZE_T peakWorkingSet = 0;  // the child's peaks, read while this box was open
    SIZE_T peakPagefileUsage = 0;
};

// An answer that presses the Enter key instead of a button, leaving the choice to the box.
const int ANSWER_ENTER = -1;
// An answer that presses nothing: the player answers every box on the screen.
const int ANSWER_PLAYER = -2;

struct DriveOptions {
    // Pressed on a box that offers Yes and No (IDYES, IDNO or ANSWER_ENTER); other boxes get OK.
    // ANSWER_PLAYER leaves every box to the player.
    int answer = IDYES;
    std::string shotsFolder;  // empty: no screenshots
    DWORD timeoutMs = 60000;  // the child is ended after this long
    // Runs while a box is open, before its button is pressed.
    std::function<void(const ShownDialog&)> onDialog;
};

struct DriveResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0xFFFFFFFF;
    std::vector<ShownDialog> dialogs;
    long yesToNextMs = -1;  // from pressing Yes to the next box appearing; -1 when none followed
    long totalMs = 0;       // from starting the child to its end
};

// commandLine is passed to CreateProcess as it is; the program name in it must be quoted when it
// holds spaces.
DriveResult DriveProgram(const std::string& commandLine, const DriveOptions& options);

const char* IconName(DialogIcon icon);
const char* ButtonName(int id);
// One line per box, then the exit status, the timings and the child's peak memory; UTF-8.
std::string ReportText(const DriveResult& result);
std::string Utf8(const std::wstring& text);
