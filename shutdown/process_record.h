// ProcessRecord: one running member of the application's process group, as
// the process report and the close-failed dialog show it.
#pragma once

#include <cstdint>
#include <string>

namespace lum {

enum class ProcessState { Running, CloseFailed };

struct ProcessRecord {
    uint32_t processId = 0;
    std::wstring name;  // the path after its last backslash
    std::wstring path;  // canonical image path
    ProcessState state = ProcessState::Running;
    uint32_t error = 0;  // close error of the forced termination; 0 when none
};

}  // namespace lum
