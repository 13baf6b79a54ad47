#include "exports/LumoraUI.h"

// The logged relaunch arrives with its own issue.
extern "C" uint32_t LUMUI_API LumUI_RunLogged(const wchar_t* program, const wchar_t* arguments,
                                              const wchar_t* logFile, uint32_t waitProcessId) {
    (void)program;
    (void)arguments;
    (void)logFile;
    (void)waitProcessId;
    return ERROR_CALL_NOT_IMPLEMENTED;
}
