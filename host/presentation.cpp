#include "host/presentation.h"

#include "host/ui_state.h"
#include "host/window.h"
#include "pages/progress_page.h"

namespace lum {

// Every change shows at once: no frame is captured and none cross-fades.
void BeginChange() {}
void StartCrossFade() {}
void EndCrossFade() {}
void ReleasePresentation() {}

// Only the progress pages' own bar moves in a band of its own; under a dialog
// it is part of the still picture.
void InvalidateBand() {
    const UiState& ui = Ui();
    if (ui.dialog != DialogNone || (ui.page != PageInstalling && ui.page != PageUninstalling)) return;
    InvalidateLayoutBand(ProgressBandBox());
}

}  // namespace lum
