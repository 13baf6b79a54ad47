// The window and state exports: each is a wall around one host function.
#include "base/export_guard.h"
#include "exports/LumoraUI.h"
#include "host/frames.h"
#include "host/ui_host.h"

using lum::Guarded;
using lum::GuardedVoid;

extern "C" int32_t LUMUI_API LumUI_Create(int32_t page, int32_t dpi) {
    return Guarded("LumUI_Create", 0, [&] { return lum::Create(page, dpi); });
}

extern "C" int32_t LUMUI_API LumUI_Attach(HWND host, int32_t dpi) {
    return Guarded("LumUI_Attach", 0, [&] { return lum::Attach(host, dpi); });
}

extern "C" void LUMUI_API LumUI_Destroy(void) { GuardedVoid("LumUI_Destroy", lum::Destroy); }

extern "C" void LUMUI_API LumUI_Show(void) { GuardedVoid("LumUI_Show", lum::Show); }

extern "C" void LUMUI_API LumUI_SetPage(int32_t page) {
    GuardedVoid("LumUI_SetPage", [&] { lum::SetPage(page); });
}

extern "C" int32_t LUMUI_API LumUI_RunModal(void) { return Guarded("LumUI_RunModal", 0, lum::RunModal); }

extern "C" int32_t LUMUI_API LumUI_Poll(void) { return Guarded("LumUI_Poll", 0, lum::Poll); }

extern "C" uint32_t LUMUI_API LumUI_GetFlags(void) { return Guarded("LumUI_GetFlags", 0u, lum::GetFlags); }

extern "C" void LUMUI_API LumUI_SetFlags(uint32_t flags) {
    GuardedVoid("LumUI_SetFlags", [&] { lum::SetFlags(flags); });
}

extern "C" void LUMUI_API LumUI_SetText(const wchar_t* key, const wchar_t* value) {
    GuardedVoid("LumUI_SetText", [&] { lum::SetText(key, value); });
}

extern "C" void LUMUI_API LumUI_SetPath(const wchar_t* path) {
    GuardedVoid("LumUI_SetPath", [&] { lum::SetPath(path); });
}

extern "C" int32_t LUMUI_API LumUI_GetPath(wchar_t* buffer, int32_t size) {
    return Guarded("LumUI_GetPath", 0, [&] { return lum::GetPath(buffer, size); });
}

extern "C" void LUMUI_API LumUI_SetProgress(int32_t position, int32_t maximum, const wchar_t* text) {
    GuardedVoid("LumUI_SetProgress", [&] { lum::SetProgress(position, maximum, text); });
}

extern "C" int32_t LUMUI_API LumUI_Confirm(int32_t dialog) {
    return Guarded("LumUI_Confirm", 0, [&] { return lum::Confirm(dialog); });
}

extern "C" void LUMUI_API LumUI_BeginClose(void) { GuardedVoid("LumUI_BeginClose", lum::BeginClose); }

extern "C" int32_t LUMUI_API LumUI_DismissMenu(void) { return Guarded("LumUI_DismissMenu", 0, lum::DismissMenu); }

extern "C" int32_t LUMUI_API LumUI_Render(const wchar_t* pngPath, int32_t scenario, int32_t dpi) {
    return Guarded("LumUI_Render", 0, [&] { return lum::RenderScenario(pngPath, scenario, dpi); });
}
