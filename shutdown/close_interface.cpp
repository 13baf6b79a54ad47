#include "shutdown/close_interface.h"

#include "exports/LumoraUI.h"
#include "host/export_guard.h"
#include "host/text_buffer.h"
#include "text/text_lookup.h"

namespace lum {

// The application shutdown arrives with its own issue; until then the report
// is always empty.
void ReleaseProcessShutdown() {}
const std::vector<ProcessRecord>& ReportRecords() {
    static const std::vector<ProcessRecord> none;
    return none;
}
size_t ReportRecordCount() { return 0; }
std::wstring ProcessStatusText(const ProcessRecord&) { return TextLookup(L"RunningStatus"); }
std::wstring BuildProcessReport() { return TextLookup(L"ProcessNone"); }
int32_t ClosingPhase() { return 1; }

}  // namespace lum

extern "C" int32_t LUMUI_API LumUI_ProcessRunning(const wchar_t* target) {
    (void)target;
    return -1;
}

extern "C" int32_t LUMUI_API LumUI_CloseApplication(const wchar_t* target) {
    (void)target;
    return 0;
}

extern "C" int32_t LUMUI_API LumUI_GetProcessReport(wchar_t* buffer, int32_t size) {
    return lum::Guarded<int32_t>(0, [&] {
        const std::wstring text = lum::BuildProcessReport();
        if (buffer && size > 0) return lum::CopyToBuffer(text, buffer, size);
        return static_cast<int32_t>(text.size());
    });
}
