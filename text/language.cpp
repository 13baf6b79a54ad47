#include "exports/LumoraUI.h"

// The language tables arrive with the localisation issue.
extern "C" void LUMUI_API LumUI_LoadLanguage(const wchar_t* overrideFile, const wchar_t* language) {
    (void)overrideFile;
    (void)language;
}
