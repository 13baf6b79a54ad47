// The exports of the system tasks: closing the running application, the
// native log and the logged relaunch, install-path validation.
#include <windows.h>

#include "base/export_guard.h"
#include "base/text_buffer.h"
#include "exports/LumoraUI.h"
#include "host/frames.h"
#include "host/ui_host.h"
#include "host/ui_state.h"
#include "host/windowed_close.h"
#include "log/native_log.h"
#include "log/relaunch.h"
#include "paths/validate_path.h"
#include "shutdown/close_interface.h"

extern "C" int32_t LUMUI_API LumUI_ProcessRunning(const wchar_t* target) {
    return lum::Guarded("LumUI_ProcessRunning", -1, [&] { return lum::ProcessRunning(target); });
}

extern "C" int32_t LUMUI_API LumUI_CloseApplication(const wchar_t* target) {
    return lum::Guarded("LumUI_CloseApplication", 0, [&] { return lum::CloseApplicationFromHost(target); });
}

extern "C" int32_t LUMUI_API LumUI_GetProcessReport(wchar_t* buffer, int32_t size) {
    return lum::Guarded("LumUI_GetProcessReport", 0, [&] {
        const std::wstring text = lum::BuildProcessReport(lum::ReportTextsOf(lum::Ui()));
        if (buffer && size > 0) return lum::CopyToBuffer(text, buffer, size);
        return static_cast<int32_t>(text.size());
    });
}

extern "C" int32_t LUMUI_API LumUI_ConfigureLog(const wchar_t* logPath, LumUI_LogCallback callback) {
    return lum::Guarded("LumUI_ConfigureLog", 0, [&] { return lum::ConfigureLog(logPath, callback); });
}

extern "C" int32_t LUMUI_API LumUI_ReadLog(wchar_t* buffer, int32_t size) {
    return lum::GuardedAnyThread("LumUI_ReadLog", 0, [&] { return lum::TakeLogLine(buffer, size); });
}

extern "C" uint32_t LUMUI_API LumUI_RunLogged(const wchar_t* program, const wchar_t* arguments, const wchar_t* logFile,
                                              uint32_t waitProcessId) {
    // Only allocations can throw here, all of them before anything is started.
    return lum::GuardedAnyThread("LumUI_RunLogged", static_cast<uint32_t>(ERROR_NOT_ENOUGH_MEMORY),
                                 [&] { return lum::RunLogged(program, arguments, logFile, waitProcessId); });
}

extern "C" uint32_t LUMUI_API LumUI_ValidatePath(const wchar_t* path, int32_t requiredMiB) {
    // Copying the path is the only allocation; if even that fails, the path
    // cannot be worked with.
    return lum::GuardedAnyThread("LumUI_ValidatePath", lum::kPathNotAcceptable,
                                 [&] { return lum::ValidateInstallPath(path, requiredMiB); });
}
