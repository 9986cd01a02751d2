#include "message_box.h"

#include <windows.h>

#include "driver_texts.h"

void ShowInfo(const char* text) {
    MessageBoxA(nullptr, text, PRODUCT_NAME, MB_OK | MB_ICONINFORMATION);
}

void ShowWarning(const char* text) {
    MessageBoxA(nullptr, text, PRODUCT_NAME, MB_OK | MB_ICONWARNING);
}

bool AskYesNo(const char* text) {
    return MessageBoxA(nullptr, text, PRODUCT_NAME, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
}
