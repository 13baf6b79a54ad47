// User actions: the one routine every click, key and close request ends in.
#pragma once

#include <cstdint>

namespace lum {

// Logs the action, handles it inside the library or queues it for the script.
void DispatchAction(int32_t action);
// Closes the title menu if it is open.
void CloseTitleMenu();

}  // namespace lum
