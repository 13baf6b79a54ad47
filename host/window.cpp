#include "host/window.h"

#include <string>
#include <vector>

#include "host/ui_state.h"
#include "pages/controls.h"

namespace lum {

// The native window layer arrives with the window frame; until then the
// state and the control list are all there is.
void CommitChange() {
    if (!IsAttached()) return;
    TakeFolderEditText();
    BuildControls();
}

void ModalLoop() {}
void Redraw() {}
void StartAnimationTimer() {}
void RequestFadeIn() {}

void TakeFolderEditText() {
    UiState& ui = Ui();
    if (!ui.folderEdit || !::IsWindow(ui.folderEdit)) return;
    const int length = ::GetWindowTextLengthW(ui.folderEdit);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(ui.folderEdit, buffer.data(), static_cast<int>(buffer.size()));
    ui.installPath.assign(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace lum
