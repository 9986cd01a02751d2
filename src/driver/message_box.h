#pragma once

// Message boxes without an owner window, captioned with the product name. Each waits until the
// player dismisses it.
void ShowInfo(const char* text);
void ShowWarning(const char* text);
// Yes and No, with No as the default button so that a stray Enter declines. True for Yes only.
bool AskYesNo(const char* text);
