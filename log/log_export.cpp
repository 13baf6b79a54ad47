#include "log/log_export.h"

namespace lum {

// The log export arrives with the title menu.
void RunLogExport() {}

}  // namespace lum
