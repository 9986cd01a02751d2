// The updater's entry point: one straight run from the mutex guards to the outcome message.
#include <windows.h>

#include "driver_texts.h"
#include "installed_folder.h"
#include "message_box.h"
#include "package_format.h"
#include "update_package.h"

namespace {

// Creates the named mutex, asking to own it. True only when this call made the name: an existing
// name, or no mutex at all, means someone else holds it.
bool CreateNewMutex(const char* name, HANDLE* mutex) {
    *mutex = CreateMutexA(nullptr, TRUE, name);
    return GetLastError() == ERROR_SUCCESS && *mutex != nullptr;
}

void ShowOutcome(uint32_t result) {
    switch (result) {
        case UPDATE_OK:
            ShowInfo(MSG_DONE);
            break;
        case UPDATE_E_READ:
        case UPDATE_E_TOO_MANY_FILES:
            ShowWarning(MSG_DAMAGED);
            break;
        case UPDATE_E_CREATE:
            ShowWarning(MSG_CANNOT_UPDATE);
            break;
        case UPDATE_E_UNINSTALL_LIST:
            ShowWarning(MSG_UNINSTALL_LIST_FAILED);
            break;
    }
}

}  // namespace

// The run is one chain of tests in a fixed order; each failed test picks the status and at most one
// message, and the handles obtained so far are closed last, game mutex first.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char folder[PATH_BUFFER_SIZE];
    HANDLE updaterMutex;
    HANDLE gameMutex = nullptr;
    int32_t status;
    if (!CreateNewMutex(UPDATER_MUTEX_NAME, &updaterMutex)) {
        // Silent: the other copy is already talking to the player.
        status = EXIT_ALREADY_RUNNING;
    } else if (!CreateNewMutex(GAME_MUTEX_NAME, &gameMutex)) {
        ShowWarning(MSG_GAME_RUNNING);
        status = EXIT_GAME_RUNNING;
    } else if (!ReadInstalledFolder(folder, MAKER_NAME, PRODUCT_NAME)) {
        ShowWarning(MSG_NOT_INSTALLED);
        status = EXIT_NOT_INSTALLED;
    } else if (!AskYesNo(MSG_CONFIRM)) {
        status = EXIT_DECLINED;
    } else {
        const uint32_t result = ApplyUpdatePackage(folder);
        ShowOutcome(result);
        status = static_cast<int32_t>(result);
    }
    if (gameMutex != nullptr) CloseHandle(gameMutex);
    if (updaterMutex != nullptr) CloseHandle(updaterMutex);
    return status;
}
