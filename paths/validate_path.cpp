#include "paths/validate_path.h"

#include <shlwapi.h>

#include <cwchar>
#include <string>

#include "paths/path_rules.h"

namespace lum {

uint32_t ValidateInstallPath(const wchar_t* path, int32_t requiredMiB, FreeSpaceQuery queryFreeSpace) {
    if (path == nullptr) return kPathNotAcceptable;
    const size_t length = std::wcslen(path);
    if (length < 3) return kPathNotAcceptable;
    if (::PathIsRelativeW(path)) return kPathNotAcceptable;
    if (::PathIsUNCW(path)) return kPathNotAcceptable;

    // All cutting happens on this copy; the caller's string stays as it was.
    std::wstring working(path, length);
    if (ContainsForbiddenPathCharacter(working)) return kPathNotAcceptable;
    if (HasColonAfterDriveLetter(working)) return kPathNotAcceptable;
    // A bare drive root is never an installation folder.
    if (working.size() == 3) return kPathNotAcceptable;
    const DWORD attributes = ::GetFileAttributesW(working.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return kPathNotAcceptable;
    }

    // The folder need not exist yet: space and write access are measured in
    // the nearest folder above it that does.
    //
    // A setup program is not long-path aware, so Windows reports no path of
    // MAX_PATH or more characters as existing. Wine opens them anyway, at a
    // cost that grows with the length: asking for every level of a path tens
    // of thousands of characters long would block for minutes. Such levels
    // are cut without asking, as Windows would answer.
    while (working.size() >= MAX_PATH || !::PathFileExistsW(working.c_str())) {
        const auto parentLength = ParentFolderLength(working);
        if (!parentLength) return kPathNotAcceptable;
        working.resize(*parentLength);
    }

    // Only the caller's own (quota-aware) free bytes matter.
    ULARGE_INTEGER freeToCaller{};
    if (!queryFreeSpace(working.c_str(), &freeToCaller, nullptr, nullptr)) return kPathNotWritable;
    if (freeToCaller.QuadPart < RequiredBytes(requiredMiB)) return kPathTooLittleSpace;

    // The only reliable test of write access is to write: with unique number
    // 0, GetTempFileNameW creates an empty "ppu*" file, which goes at once.
    // Windows refuses folders longer than MAX_PATH - 14; Wine fills the
    // MAX_PATH buffer with a cut-off, unterminated name instead. Refuse them
    // here, so that no probe name is read past the buffer and the result is
    // the same on both.
    if (working.size() > MAX_PATH - 14) return kPathNotWritable;
    wchar_t probe[MAX_PATH] = {};
    if (::GetTempFileNameW(working.c_str(), L"ppu", 0, probe) == 0) return kPathNotWritable;
    // Windows returns 0 when the file cannot be created, but Wine returns the
    // unique number even when creating it failed for any reason other than a
    // name clash (seen with Z:\sys and Z:\proc). Where the call succeeded the
    // file exists, so this costs nothing on Windows.
    const DWORD probeAttributes = ::GetFileAttributesW(probe);
    if (probeAttributes == INVALID_FILE_ATTRIBUTES || (probeAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return kPathNotWritable;
    }
    ::DeleteFileW(probe);  // a probe file that cannot be deleted does not make the folder unusable
    return kPathUsable;
}

}  // namespace lum
