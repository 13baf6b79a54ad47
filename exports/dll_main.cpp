// The entry point remembers the module handle (the instance of every window
// class and window) and routes reported failures into the native log.
//
// Thread notifications stay on: the statically linked threads library frees a
// thread's bookkeeping when it hears of the thread's end, and a DLL with a
// static runtime must not switch them off.
#include <windows.h>

#include "base/failure_log.h"
#include "draw/canvas.h"
#include "host/frames.h"
#include "host/ui_state.h"
#include "host/window.h"
#include "log/native_log.h"

namespace {

void LogFailure(const std::wstring& message) { lum::WriteLogLine(message); }

}  // namespace

// The C++ runtime keeps a pool for exceptions thrown when memory runs out
// (about 74 KB) and frees it only when asked; without this every
// LoadLibrary/FreeLibrary cycle lost it.
namespace __gnu_cxx {
void __freeres() noexcept;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        lum::Ui().module = module;
        lum::SetFailureSink(&LogFailure);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // FreeLibrary: give back the window's frames, the kept illustrations
        // and the device-independent drawing objects; the render target and
        // the bitmaps made on it go back when LumUI_Render and LumUI_Destroy
        // end (a window never destroyed keeps them, and its frames). At
        // process exit (reserved != null) the system reclaims everything, and
        // calling into Direct2D then can hang, so nothing is released.
        lum::SetFailureSink(nullptr);
        lum::ReleaseWindowFramesAtUnload();
        lum::ReleaseKeptIllustrationsAtUnload();
        lum::ReleaseDrawingObjectsAtUnload();
        __gnu_cxx::__freeres();
    }
    return TRUE;
}
