// The language and link exports.
#include "base/export_guard.h"
#include "base/text_buffer.h"
#include "exports/LumoraUI.h"
#include "host/ui_host.h"
#include "text/links.h"

extern "C" void LUMUI_API LumUI_LoadLanguage(const wchar_t* overrideFile, const wchar_t* language) {
    lum::GuardedVoid("LumUI_LoadLanguage", [&] { lum::LoadLanguage(overrideFile, language); });
}

extern "C" int32_t LUMUI_API LumUI_GetLink(int32_t kind, wchar_t* buffer, int32_t size) {
    return lum::Guarded("LumUI_GetLink", 0, [&] {
        // Nothing is written and nothing asked of the system for a buffer
        // that cannot take even the terminator.
        if (!buffer || size < 1) return 0;
        return lum::CopyToBuffer(lum::LinkFor(kind), buffer, size);
    });
}
