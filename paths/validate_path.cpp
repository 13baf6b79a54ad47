#include "exports/LumoraUI.h"

// Install-path validation arrives with its own change; until then every path
// is refused as not acceptable.
extern "C" uint32_t LUMUI_API LumUI_ValidatePath(const wchar_t* path, int32_t requiredMiB) {
    (void)path;
    (void)requiredMiB;
    return 1;
}
