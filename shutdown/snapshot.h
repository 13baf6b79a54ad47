// One look at the machine's processes on behalf of a process group.
#pragma once

#include <cstdint>

#include "shutdown/process_group.h"

namespace lum {

// Lists all processes, leaves out the calling process and its ancestors,
// verifies the rest through a handle, admits new members (image inside the
// root, or a verified descendant of a member), logs members that have exited
// and rebuilds the group's records. Returns the number of running members, or
// -1 when the process list was not obtained or the group has no root; the
// group's records and scan error then describe this run.
int32_t Snapshot(ProcessGroup& group);

}  // namespace lum
