#include "host/window.h"

#include <string>
#include <vector>

#include "host/ui_state.h"
#include "pages/controls.h"
#include "shutdown/close_interface.h"

namespace lum {

void BuildControls() {
    UiState& ui = Ui();
    ControlList list = BuildControlList(ui, ui.dialog, true, ReportRecordCount());
    ui.controls = std::move(list.records);
    ui.legal = list.legal;
}

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
