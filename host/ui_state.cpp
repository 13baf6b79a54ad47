#include "host/ui_state.h"

namespace lum {

UiState& Ui() noexcept {
    static UiState state;
    return state;
}

bool IsAttached() noexcept {
    const HWND view = Ui().view;
    return view != nullptr && ::IsWindow(view);
}

}  // namespace lum
