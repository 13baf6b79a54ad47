#include "host/presentation.h"

namespace lum {

// Cross-fades arrive with the presentation layer; until then every change
// shows at once.
void BeginChange() {}
void StartCrossFade() {}
void EndCrossFade() {}
void InvalidateBand() {}
void ReleasePresentation() {}

}  // namespace lum
