// The string rules of install-path validation, apart from the file system.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lum {

// True when the path holds * ? < > | or a double quote anywhere.
bool ContainsForbiddenPathCharacter(std::wstring_view path);

// True when a colon occurs at index 2 or later: only the drive letter's colon
// at index 1 is allowed, so stream suffixes ("C:\dir:stream") and device
// syntax are refused.
bool HasColonAfterDriveLetter(std::wstring_view path);

// One step of the walk up to the nearest existing folder: the length to cut
// `path` to, at its last backslash or forward slash. A separator at index 2
// (right after "X:") stays, so a drive path is cut to "X:\" and never to a
// drive-relative "X:". No value when the walk cannot go on: no separator, a
// result shorter than 3 characters, or a cut that would not shorten the path
// (it already is a drive root).
std::optional<size_t> ParentFolderLength(std::wstring_view path);

// The required size in bytes: MiB widened with its sign, then shifted by 20,
// so a negative size becomes a huge unsigned count that no disk can satisfy.
uint64_t RequiredBytes(int32_t requiredMiB);

}  // namespace lum
