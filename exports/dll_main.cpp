// The entry point only remembers the module handle (the instance of every
// window class and window) and turns off thread notifications.
#include <windows.h>

#include "host/ui_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        lum::Ui().module = module;
        ::DisableThreadLibraryCalls(module);
    }
    return TRUE;
}
