// Install-path validation behind LumUI_ValidatePath.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lum {

// Result codes; each failure matches one of the texts "PathError",
// "PermissionError" and "SpaceError".
constexpr uint32_t kPathUsable = 0;
constexpr uint32_t kPathNotAcceptable = 1;
constexpr uint32_t kPathNotWritable = 2;
constexpr uint32_t kPathTooLittleSpace = 3;

// The free-space query, replaceable so that tests can report an exact byte
// count; the real one is GetDiskFreeSpaceExW.
using FreeSpaceQuery = BOOL(WINAPI*)(LPCWSTR folder, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                                     PULARGE_INTEGER totalFree);

// Whether an installation needing `requiredMiB` MiB can go to `path` (which
// need not exist yet). `path` is read only; may be null.
uint32_t ValidateInstallPath(const wchar_t* path, int32_t requiredMiB,
                             FreeSpaceQuery queryFreeSpace = ::GetDiskFreeSpaceExW);

}  // namespace lum
