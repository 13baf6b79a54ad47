// LumoraUI.h: the exported interface of LumoraUI.dll.
//
// Every export uses the stdcall convention and is exported twice: under its
// plain name and under its decorated name (for example _LumUI_ReadLog@8).
// Strings are NUL-terminated UTF-16. A null string argument counts as "".
// Buffers are (pointer, capacity in characters); copies are truncated to
// capacity - 1 characters and always terminated.
#pragma once

#include <windows.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LUMUI_API __stdcall

typedef int32_t(LUMUI_API* LumUI_LogCallback)(void);

// Window and state (host/).
int32_t LUMUI_API LumUI_Create(int32_t page, int32_t dpi);
int32_t LUMUI_API LumUI_Attach(HWND host, int32_t dpi);
void LUMUI_API LumUI_Destroy(void);
void LUMUI_API LumUI_Show(void);
void LUMUI_API LumUI_SetPage(int32_t page);
int32_t LUMUI_API LumUI_RunModal(void);
int32_t LUMUI_API LumUI_Poll(void);
uint32_t LUMUI_API LumUI_GetFlags(void);
void LUMUI_API LumUI_SetFlags(uint32_t flags);
void LUMUI_API LumUI_SetText(const wchar_t* key, const wchar_t* value);
void LUMUI_API LumUI_SetPath(const wchar_t* path);
int32_t LUMUI_API LumUI_GetPath(wchar_t* buffer, int32_t size);
void LUMUI_API LumUI_SetProgress(int32_t position, int32_t maximum, const wchar_t* text);
int32_t LUMUI_API LumUI_Confirm(int32_t dialog);
void LUMUI_API LumUI_BeginClose(void);
int32_t LUMUI_API LumUI_DismissMenu(void);

// Languages and links (text/).
void LUMUI_API LumUI_LoadLanguage(const wchar_t* overrideFile, const wchar_t* language);
int32_t LUMUI_API LumUI_GetLink(int32_t kind, wchar_t* buffer, int32_t size);

// Offline rendering (pages/).
int32_t LUMUI_API LumUI_Render(const wchar_t* pngPath, int32_t scenario, int32_t dpi);

// Closing the running application (shutdown/).
int32_t LUMUI_API LumUI_ProcessRunning(const wchar_t* target);
int32_t LUMUI_API LumUI_CloseApplication(const wchar_t* target);
int32_t LUMUI_API LumUI_GetProcessReport(wchar_t* buffer, int32_t size);

// Native log and logged relaunch (log/).
int32_t LUMUI_API LumUI_ConfigureLog(const wchar_t* logPath, LumUI_LogCallback callback);
int32_t LUMUI_API LumUI_ReadLog(wchar_t* buffer, int32_t size);
uint32_t LUMUI_API LumUI_RunLogged(const wchar_t* program, const wchar_t* arguments,
                                   const wchar_t* logFile, uint32_t waitProcessId);

// Install-path validation (paths/).
uint32_t LUMUI_API LumUI_ValidatePath(const wchar_t* path, int32_t requiredMiB);

#ifdef __cplusplus
}
#endif
