#include "dialog_driver.h"

#include <psapi.h>

#include <stdio.h>

namespace {

const wchar_t DIALOG_CLASS[] = L"#32770";
const wchar_t DIALOG_CAPTION[] = L"Lantern Waltz";
const DWORD POLL_MS = 5;
const DWORD PAINT_WAIT_MS = 5000;

long MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<long>((now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
}

bool TimedOut(const LARGE_INTEGER& start, DWORD timeoutMs) {
    return timeoutMs != INFINITE && static_cast<DWORD>(MillisecondsSince(start)) > timeoutMs;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64];
    const int length = GetClassNameW(window, name, 64);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024];
    const int length = GetWindowTextW(window, text, 1024);
    return std::wstring(text, length > 0 ? length : 0);
}

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    if (ClassOf(window) != DIALOG_CLASS || TextOf(window) != DIALOG_CAPTION) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindDialogOf(DWORD processId) {
    DialogSearch search = {processId, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildrenOf(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

bool IsIconStatic(HWND child) {
    return ClassOf(child) == L"Static" &&
           (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// Windows gives the message text the id 0xFFFF; other implementations use another id, so any
// visible static with text will do.
std::wstring MessageTextOf(HWND dialog) {
    wchar_t text[1024];
    if (GetDlgItemTextW(dialog, 0xFFFF, text, 1024) > 0) return text;
    for (HWND child : ChildrenOf(dialog)) {
        if (ClassOf(child) != L"Static" || IsIconStatic(child) || !IsWindowVisible(child)) continue;
        const std::wstring childText = TextOf(child);
        if (!childText.empty()) return childText;
    }
    return L"";
}

std::vector<int> ButtonsOf(HWND dialog) {
    std::vector<int> buttons;
    for (HWND child : ChildrenOf(dialog)) {
        if (ClassOf(child) == L"Button" && IsWindowVisible(child)) {
            buttons.push_back(GetDlgCtrlID(child));
        }
    }
    return buttons;
}

bool IsVisibleButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr && ClassOf(button) == L"Button" && IsWindowVisible(button);
}

// DM_GETDEFID where it names a button the box shows; otherwise the shown button drawn as the
// default push button (a box may drop the button that its template made the default).
int DefaultButtonOf(HWND dialog) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) &&
        HIWORD(answer) == DC_HASDEFID && IsVisibleButton(dialog, LOWORD(answer))) {
        return LOWORD(answer);
    }
    for (HWND child : ChildrenOf(dialog)) {
        if (ClassOf(child) == L"Button" && IsWindowVisible(child) &&
            (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            return GetDlgCtrlID(child);
        }
    }
    return 0;
}

// Lets draw paint into a top-down 32-bit BGRX bitmap that starts as pixels; returns the result.
template <typename Draw>
std::vector<DWORD> Paint(int width, int height, std::vector<DWORD> pixels, Draw draw) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        memcpy(bits, pixels.data(), pixels.size() * sizeof(DWORD));
        draw(memory, screen);
        GdiFlush();
        memcpy(pixels.data(), bits, pixels.size() * sizeof(DWORD));
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Pixels of a screen rectangle, top row first.
std::vector<DWORD> CaptureScreen(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    return Paint(width, height, std::vector<DWORD>(static_cast<size_t>(width) * height),
                 [&](HDC memory, HDC screen) {
                     BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
                 });
}

// The standard icon drawn as the box would draw it, over the background that the box shows.
std::vector<DWORD> RenderIcon(LPCSTR which, int width, int height, DWORD background) {
    return Paint(width, height, std::vector<DWORD>(static_cast<size_t>(width) * height, background),
                 [&](HDC memory, HDC) {
                     DrawIconEx(memory, 0, 0, LoadIconA(nullptr, which), 0, 0, 0, nullptr,
                                DI_NORMAL);
                 });
}

long Difference(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    long sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            sum += labs(static_cast<long>((a[i] >> shift) & 0xFF) -
                        static_cast<long>((b[i] >> shift) & 0xFF));
        }
    }
    return sum;
}

// Which standard icon the box shows, told from its pixels: another process's icon handle cannot
// be read back on every platform, but what is on the screen can.
DialogIcon MatchIcon(HWND iconControl) {
    RECT area;
    GetWindowRect(iconControl, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return DialogIcon::UNKNOWN;
    const std::vector<DWORD> shown = CaptureScreen(area);
    const struct {
        LPCSTR resource;
        DialogIcon icon;
    } candidates[] = {{IDI_INFORMATION, DialogIcon::INFORMATION},
                      {IDI_WARNING, DialogIcon::WARNING},
                      {IDI_QUESTION, DialogIcon::QUESTION},
                      {IDI_ERROR, DialogIcon::ERROR_ICON}};
    DialogIcon best = DialogIcon::UNKNOWN;
    long bestDifference = 0;
    for (const auto& candidate : candidates) {
        const long difference =
            Difference(shown, RenderIcon(candidate.resource, width, height, shown[0]));
        if (best == DialogIcon::UNKNOWN || difference < bestDifference) {
            best = candidate.icon;
            bestDifference = difference;
        }
    }
    // A close match only: an unpainted control matches nothing.
    const long tolerance = static_cast<long>(shown.size()) * 3 * 4;
    return bestDifference <= tolerance ? best : DialogIcon::UNKNOWN;
}

DialogIcon IconOf(HWND dialog) {
    HWND iconControl = nullptr;
    for (HWND child : ChildrenOf(dialog)) {
        if (IsIconStatic(child) && IsWindowVisible(child)) iconControl = child;
    }
    if (iconControl == nullptr) return DialogIcon::NONE;
    DialogIcon icon = DialogIcon::UNKNOWN;
    // The box may still be painting when it is first seen.
    for (DWORD waited = 0; waited < PAINT_WAIT_MS && icon == DialogIcon::UNKNOWN; waited += 50) {
        icon = MatchIcon(iconControl);
        if (icon == DialogIcon::UNKNOWN) Sleep(50);
    }
    return icon;
}

bool WriteBitmap(const std::string& path, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const std::vector<DWORD> pixels = CaptureScreen(area);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size() * sizeof(DWORD));
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool ok = fwrite(&file, sizeof file, 1, out) == 1 &&
                    fwrite(&info, sizeof info, 1, out) == 1 &&
                    fwrite(pixels.data(), sizeof(DWORD), pixels.size(), out) == pixels.size();
    return fclose(out) == 0 && ok;
}

int ButtonToPress(const ShownDialog& dialog, int answer) {
    if (answer == ANSWER_PLAYER) return ANSWER_PLAYER;
    bool hasYes = false, hasNo = false, hasOk = false;
    for (int id : dialog.buttons) {
        hasYes |= id == IDYES;
        hasNo |= id == IDNO;
        hasOk |= id == IDOK;
    }
    if (hasYes && hasNo) return answer;  // IDYES, IDNO or ANSWER_ENTER
    if (hasOk) return IDOK;
    return dialog.buttons.empty() ? IDCANCEL : dialog.buttons.front();
}

ShownDialog Inspect(HWND dialog, HANDLE process, const DriveOptions& options, size_t number) {
    // Answered once the box's own message loop runs, so its set-up is complete.
    DWORD_PTR ignored;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    ShownDialog shown;
    shown.text = MessageTextOf(dialog);
    shown.buttons = ButtonsOf(dialog);
    shown.defaultButton = DefaultButtonOf(dialog);
    shown.icon = IconOf(dialog);
    if (!options.shotsFolder.empty()) {
        Sleep(200);  // the text may be painted after the icon
        RECT area;
        GetWindowRect(dialog, &area);
        const std::string path =
            options.shotsFolder + "\\dialog-" + std::to_string(number) + ".bmp";
        if (WriteBitmap(path, area)) shown.screenshot = path;
    }
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        shown.peakWorkingSet = memory.PeakWorkingSetSize;
        shown.peakPagefileUsage = memory.PeakPagefileUsage;
    }
    return shown;
}

void Press(HWND dialog, int id) {
    if (id != ANSWER_ENTER) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        return;
    }
    // The key goes to the control that has the focus, as the player's key would.
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) &&
        thread.hwndFocus != nullptr) {
        target = thread.hwndFocus;
    }
    PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

}  // namespace

DriveResult DriveProgram(const std::string& commandLine, const DriveOptions& options) {
    DriveResult result;
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child)) {
        return result;
    }
    result.started = true;
    CloseHandle(child.hThread);

    LARGE_INTEGER pressedYes = {};
    bool awaitingNext = false;
    for (;;) {
        if (WaitForSingleObject(child.hProcess, POLL_MS) == WAIT_OBJECT_0) break;
        if (TimedOut(started, options.timeoutMs)) {
            TerminateProcess(child.hProcess, 0xDEADBEEF);
            WaitForSingleObject(child.hProcess, INFINITE);
            result.timedOut = true;
            break;
        }
        HWND dialog = FindDialogOf(child.dwProcessId);
        if (dialog == nullptr) continue;
        if (awaitingNext) {
            result.yesToNextMs = MillisecondsSince(pressedYes);
            awaitingNext = false;
        }
        ShownDialog shown = Inspect(dialog, child.hProcess, options, result.dialogs.size() + 1);
        shown.pressed = ButtonToPress(shown, options.answer);
        if (options.onDialog) options.onDialog(shown);
        result.dialogs.push_back(shown);
        if (shown.pressed == IDYES) {
            QueryPerformanceCounter(&pressedYes);
            awaitingNext = true;
        }
        if (shown.pressed != ANSWER_PLAYER) Press(dialog, shown.pressed);
        // Only a box that is gone counts as answered; a new one may appear at once.
        while (IsWindow(dialog) && IsWindowVisible(dialog) &&
               !TimedOut(started, options.timeoutMs) &&
               WaitForSingleObject(child.hProcess, POLL_MS) == WAIT_TIMEOUT) {
        }
    }
    result.totalMs = MillisecondsSince(started);
    GetExitCodeProcess(child.hProcess, &result.exitCode);
    CloseHandle(child.hProcess);
    return result;
}

const char* IconName(DialogIcon icon) {
    switch (icon) {
        case DialogIcon::NONE:
            return "none";
        case DialogIcon::INFORMATION:
            return "information";
        case DialogIcon::WARNING:
            return "warning";
        case DialogIcon::QUESTION:
            return "question";
        case DialogIcon::ERROR_ICON:
            return "error";
        case DialogIcon::UNKNOWN:
            break;
    }
    return "unknown";
}

const char* ButtonName(int id) {
    switch (id) {
        case 0:
            return "none";
        case ANSWER_ENTER:
            return "enter";
        case ANSWER_PLAYER:
            return "player";
        case IDOK:
            return "ok";
        case IDCANCEL:
            return "cancel";
        case IDABORT:
            return "abort";
        case IDRETRY:
            return "retry";
        case IDIGNORE:
            return "ignore";
        case IDYES:
            return "yes";
        case IDNO:
            return "no";
    }
    return "other";
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return "";
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}

std::string ReportText(const DriveResult& result) {
    std::string report;
    char line[160];
    for (size_t i = 0; i < result.dialogs.size(); ++i) {
        const ShownDialog& dialog = result.dialogs[i];
        std::string buttons;
        for (int id : dialog.buttons)
            buttons += std::string(buttons.empty() ? "" : ",") + ButtonName(id);
        snprintf(line, sizeof line, "dialog %u icon=%s buttons=%s default=%s pressed=%s ",
                 static_cast<unsigned>(i + 1), IconName(dialog.icon), buttons.c_str(),
                 ButtonName(dialog.defaultButton), ButtonName(dialog.pressed));
        report += line;
        if (!dialog.screenshot.empty()) report += "shot=" + dialog.screenshot + " ";
        report += "text=" + Utf8(dialog.text) + "\n";
    }
    if (!result.started) return report + "not started\n";
    snprintf(line, sizeof line, "exit 0x%08lX%s\n", static_cast<unsigned long>(result.exitCode),
             result.timedOut ? " (timed out, ended by the driver)" : "");
    report += line;
    snprintf(line, sizeof line, "timing yes_to_next_ms=%ld total_ms=%ld\n", result.yesToNextMs,
             result.totalMs);
    report += line;
    const SIZE_T workingSet = result.dialogs.empty() ? 0 : result.dialogs.back().peakWorkingSet;
    const SIZE_T pagefile = result.dialogs.empty() ? 0 : result.dialogs.back().peakPagefileUsage;
    snprintf(line, sizeof line, "memory peak_working_set=%lu peak_pagefile_usage=%lu\n",
             static_cast<unsigned long>(workingSet), static_cast<unsigned long>(pagefile));
    return report + line;
}
