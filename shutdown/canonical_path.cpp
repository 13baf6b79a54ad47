#include "shutdown/canonical_path.h"

#include <windows.h>

#include <algorithm>

#include "base/scoped_win.h"

namespace lum {
namespace {

// Both path calls get the largest path Windows can express; a result that
// would need more is left alone.
constexpr DWORD kPathBufferUnits = 32768;

}  // namespace

std::wstring CanonicalPath(const std::wstring& path) {
    std::wstring result = path;
    std::wstring buffer(kPathBufferUnits, L'\0');
    bool replaced = false;

    // FILE_FLAG_BACKUP_SEMANTICS lets folders open as well as files.
    const UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file) {
        const DWORD length = ::GetFinalPathNameByHandleW(file.get(), buffer.data(), kPathBufferUnits, 0);
        if (length > 0 && length < kPathBufferUnits) {
            result.assign(buffer.data(), length);
            replaced = true;
        }
    }
    if (!replaced) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), kPathBufferUnits, buffer.data(), nullptr);
        if (length > 0 && length < kPathBufferUnits) result.assign(buffer.data(), length);
    }

    static const std::wstring kUncPrefix = L"\\\\?\\UNC\\";
    static const std::wstring kLongPrefix = L"\\\\?\\";
    if (result.compare(0, kUncPrefix.size(), kUncPrefix) == 0) {
        result.replace(0, kUncPrefix.size(), L"\\\\");
    } else if (result.size() >= kLongPrefix.size() && result.compare(0, kLongPrefix.size(), kLongPrefix) == 0) {
        result.erase(0, kLongPrefix.size());
    }
    std::replace(result.begin(), result.end(), L'/', L'\\');
    return result;
}

}  // namespace lum
