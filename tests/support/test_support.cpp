#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>

namespace lumtest {
namespace {

template <typename F>
void Resolve(HMODULE module, const char* name, F& slot) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    if (!slot) ADD_FAILURE() << "LumoraUI.dll does not export " << name;
}

LumoraApi LoadApi() {
    LumoraApi api;
    const std::wstring path = ExeDir() + L"LumoraUI.dll";
    api.module = ::LoadLibraryW(path.c_str());
    if (!api.module) {
        ADD_FAILURE() << "LoadLibrary failed for " << Utf8(path) << " error " << ::GetLastError();
        return api;
    }
#define LUMUI_RESOLVE(name) Resolve(api.module, "LumUI_" #name, api.name)
    LUMUI_RESOLVE(Create);
    LUMUI_RESOLVE(Attach);
    LUMUI_RESOLVE(Destroy);
    LUMUI_RESOLVE(Show);
    LUMUI_RESOLVE(SetPage);
    LUMUI_RESOLVE(RunModal);
    LUMUI_RESOLVE(Poll);
    LUMUI_RESOLVE(GetFlags);
    LUMUI_RESOLVE(SetFlags);
    LUMUI_RESOLVE(SetText);
    LUMUI_RESOLVE(SetPath);
    LUMUI_RESOLVE(GetPath);
    LUMUI_RESOLVE(SetProgress);
    LUMUI_RESOLVE(Confirm);
    LUMUI_RESOLVE(BeginClose);
    LUMUI_RESOLVE(DismissMenu);
    LUMUI_RESOLVE(LoadLanguage);
    LUMUI_RESOLVE(GetLink);
    LUMUI_RESOLVE(Render);
    LUMUI_RESOLVE(ProcessRunning);
    LUMUI_RESOLVE(CloseApplication);
    LUMUI_RESOLVE(GetProcessReport);
    LUMUI_RESOLVE(ConfigureLog);
    LUMUI_RESOLVE(ReadLog);
    LUMUI_RESOLVE(RunLogged);
    LUMUI_RESOLVE(ValidatePath);
#undef LUMUI_RESOLVE
    return api;
}

}  // namespace

const LumoraApi& Dll() {
    static const LumoraApi api = LoadApi();
    if (!api.module) ADD_FAILURE() << "LumoraUI.dll is not loaded";
    return api;
}

std::vector<std::wstring> DrainDllLog() {
    std::vector<std::wstring> lines;
    const LumoraApi& api = Dll();
    for (;;) {
        const int32_t length = api.ReadLog(nullptr, 0);
        if (length <= 0) break;
        std::wstring line(static_cast<size_t>(length) + 1, L'\0');
        if (api.ReadLog(line.data(), length + 1) != length) break;
        line.resize(static_cast<size_t>(length));
        lines.push_back(std::move(line));
    }
    return lines;
}

std::wstring ExeDir() {
    std::wstring path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate = std::wstring(base) + L"lumtest-" + std::to_wstring(::GetCurrentProcessId()) +
                                 L"-" + std::to_wstring(counter++) + L"-" + std::to_wstring(::GetTickCount64());
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    ADD_FAILURE() << "could not create a temporary folder";
}

TempDir::~TempDir() {
    if (!path_.empty()) RemoveTree(path_);
}

bool RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::RemoveDirectoryW(path.c_str()) || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    ::CloseHandle(file);
    return bytes;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

}  // namespace lumtest
