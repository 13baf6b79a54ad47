// Saving a copy of the setup log where the user chooses.
#pragma once

namespace lum {

// The title menu's "SaveLog" action: save dialog, copy, report.
void RunLogExport();

}  // namespace lum
