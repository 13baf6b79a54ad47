// LumUI_CloseApplication as the window sees it.
#pragma once

#include <cstdint>

namespace lum {

// With a window: the closing dialog, the shutdown on a worker thread while
// this thread keeps the window answering, then the previous dialog again.
// Without one: the shutdown on this thread.
int32_t CloseApplicationFromHost(const wchar_t* target);

}  // namespace lum
