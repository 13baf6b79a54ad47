#include "pages/controls.h"

#include "host/ui_state.h"

namespace lum {

void BuildControls() { Ui().controls.clear(); }

}  // namespace lum
