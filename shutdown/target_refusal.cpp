#include "shutdown/target_refusal.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "shutdown/canonical_path.h"
#include "shutdown/process_group.h"

namespace lum {
namespace {

std::wstring WithBackslash(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

void AddFolder(std::vector<std::wstring>& folders, const std::wstring& folder) {
    if (folder.empty()) return;
    folders.push_back(folder);
    folders.push_back(CanonicalPath(folder));
}

}  // namespace

bool RootCoversSharedFolder(const std::wstring& root, const std::vector<std::wstring>& sharedFolders) {
    if (root.empty()) return false;
    for (const std::wstring& folder : sharedFolders) {
        if (!folder.empty() && StartsWithIgnoringAsciiCase(WithBackslash(folder), WithBackslash(root))) return true;
    }
    return false;
}

std::vector<std::wstring> SharedFolders() {
    // FOLDERID_ProgramFiles names "Program Files (x86)" in a 32-bit process on
    // 64-bit Windows, and FOLDERID_ProgramFilesX64 is refused there: the 64-bit
    // folder comes from ProgramW6432.
    static const KNOWNFOLDERID* const kKnown[] = {
        &FOLDERID_Windows,       &FOLDERID_System,        &FOLDERID_SystemX86,      &FOLDERID_ProgramFiles,
        &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramFilesX64, &FOLDERID_ProgramData, &FOLDERID_UserProfiles,
        &FOLDERID_Public,        &FOLDERID_Profile,       &FOLDERID_Desktop,        &FOLDERID_Documents,
        &FOLDERID_Downloads,     &FOLDERID_LocalAppData,  &FOLDERID_RoamingAppData, &FOLDERID_UserProgramFiles};
    std::vector<std::wstring> folders;
    for (const KNOWNFOLDERID* id : kKnown) {
        PWSTR path = nullptr;
        if (SUCCEEDED(::SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &path))) AddFolder(folders, path);
        ::CoTaskMemFree(path);  // also after a failure, as the call asks
    }
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = ::GetEnvironmentVariableW(L"ProgramW6432", buffer, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH) AddFolder(folders, std::wstring(buffer, length));
    length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length > 0 && length <= MAX_PATH) AddFolder(folders, std::wstring(buffer, length));
    return folders;
}

std::wstring AdmissibleProcessRoot(const std::wstring& canonicalTarget) {
    const DWORD attributes = ::GetFileAttributesW(canonicalTarget.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
    std::wstring root = ProcessRoot(canonicalTarget);
    if (RootCoversSharedFolder(root, SharedFolders())) root.clear();
    return root;
}

}  // namespace lum
