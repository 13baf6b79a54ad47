#include "exports/LumoraUI.h"
#include "host/export_guard.h"

// Offline rendering arrives with the page scenes; until then nothing is written.
extern "C" int32_t LUMUI_API LumUI_Render(const wchar_t* pngPath, int32_t scenario, int32_t dpi) {
    (void)pngPath;
    (void)scenario;
    (void)dpi;
    return 0;
}
