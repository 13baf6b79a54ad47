// What the state and window exports do. Each function is one export's
// behaviour on the process-wide UiState; the exports add only their wall.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lum {

// No window is made yet: both answer 0, and a setup program shows its own
// pages or renders screens with LumUI_Render.
int32_t Create(int32_t page, int32_t dpi);
int32_t Attach(HWND host, int32_t dpi);
void Show();
void SetPage(int32_t page);
// The modal wait of the current page; the page's result (0 for cancel).
int32_t RunModal();
int32_t Poll();
uint32_t GetFlags();
void SetFlags(uint32_t flags);
void SetText(const wchar_t* key, const wchar_t* value);
void SetPath(const wchar_t* path);
int32_t GetPath(wchar_t* buffer, int32_t size);
void SetProgress(int32_t position, int32_t maximum, const wchar_t* text);
// Shows a dialog and waits for its answer: 1 yes, 0 no or no window.
int32_t Confirm(int32_t dialog);
// Fades the window out (120 ms) and hides it.
void BeginClose();
// Tears the windows down, empties the queue and the process group, releases
// the drawing resources. Content state survives.
void Destroy();
// Closes an open menu: 1 when one was open.
int32_t DismissMenu();
void LoadLanguage(const wchar_t* overrideFile, const wchar_t* language);
// Scans the target's process group; the close-failed list starts again at its first page.
int32_t ProcessRunning(const wchar_t* target);

}  // namespace lum
