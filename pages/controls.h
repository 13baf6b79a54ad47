// The control list of the current page, dialog and menus.
#pragma once

namespace lum {

// Empties UiState's control list and adds the controls of the current dialog,
// or of the current page, the title bar and the open menus.
void BuildControls();

}  // namespace lum
