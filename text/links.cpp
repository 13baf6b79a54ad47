#include "text/links.h"

#include "exports/LumoraUI.h"
#include "host/text_buffer.h"

namespace lum {

// Regional links arrive with the localisation issue; until then every kind
// answers with the empty link.
std::wstring LinkFor(int32_t) { return std::wstring(); }

}  // namespace lum

extern "C" int32_t LUMUI_API LumUI_GetLink(int32_t kind, wchar_t* buffer, int32_t size) {
    try {
        return lum::CopyToBuffer(lum::LinkFor(kind), buffer, size);
    } catch (...) {
        return 0;
    }
}
