// The entry point remembers the module handle (the instance of every window
// class and window), turns off thread notifications and routes reported
// failures into the native log.
#include <windows.h>

#include "base/failure_log.h"
#include "draw/canvas.h"
#include "host/ui_state.h"
#include "log/native_log.h"

namespace {

void LogFailure(const std::wstring& message) { lum::WriteLogLine(message); }

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        lum::Ui().module = module;
        lum::SetFailureSink(&LogFailure);
        ::DisableThreadLibraryCalls(module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // FreeLibrary: give the drawing objects back. At process exit
        // (reserved != null) the system reclaims everything, and calling into
        // Direct2D then can hang, so nothing is released.
        lum::SetFailureSink(nullptr);
        lum::ReleaseDrawingObjectsAtUnload();
    }
    return TRUE;
}
