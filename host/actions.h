// User actions: the one routine every click, key and close request ends in.
#pragma once

#include <cstdint>

namespace lum {

// Logs the action, handles it inside the library or queues it for the script.
void DispatchAction(int32_t action);
// Closes the title menu if it is open.
void CloseTitleMenu();
// Opens the title menu at the context-menu message's position (screen x and y
// in the low and high 16 bits, or -1 from the keyboard), in the title band only.
void OpenTitleMenu(int32_t position);

}  // namespace lum
