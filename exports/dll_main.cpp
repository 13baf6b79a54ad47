// The entry point only remembers the module handle (the instance of every
// window class and window) and turns off thread notifications.
#include <windows.h>

#include "draw/canvas.h"
#include "host/ui_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        lum::Ui().module = module;
        ::DisableThreadLibraryCalls(module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // FreeLibrary: give the drawing objects back. At process exit
        // (reserved != null) the system reclaims everything, and calling into
        // Direct2D then can hang, so nothing is released.
        lum::ReleaseDrawingObjectsAtUnload();
    }
    return TRUE;
}
