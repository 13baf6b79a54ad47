#include "paths/path_rules.h"

namespace lum {

bool ContainsForbiddenPathCharacter(std::wstring_view path) {
    return path.find_first_of(L"*?<>|\"") != std::wstring_view::npos;
}

bool HasColonAfterDriveLetter(std::wstring_view path) {
    return path.size() > 2 && path.find(L':', 2) != std::wstring_view::npos;
}

std::optional<size_t> ParentFolderLength(std::wstring_view path) {
    if (path.empty()) return std::nullopt;
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring_view::npos) return std::nullopt;
    const size_t length = separator == 2 ? 3 : separator;
    if (length < 3 || length >= path.size()) return std::nullopt;
    return length;
}

uint64_t RequiredBytes(int32_t requiredMiB) {
    return static_cast<uint64_t>(static_cast<int64_t>(requiredMiB)) << 20;
}

}  // namespace lum
