// render_gallery: loads LumoraUI.dll the way a setup program does and renders
// every scenario in every language into one folder, for tools/gallery.sh.
//
//   render_gallery.exe <output folder> [dll path]
//
// Writes <language>-s<NN>-<dpi>.png with its ".layout.txt" beside it: every
// scenario 0 ... 19 in all nine languages at 96 DPI, and the English ones at
// 144 and 192 DPI as well. Prints one line per render ("ok" or "FAILED" and
// the file name) and exits with 0 only when every render succeeded.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using LoadLanguageFn = void(__stdcall*)(const wchar_t*, const wchar_t*);
using RenderFn = int32_t(__stdcall*)(const wchar_t*, int32_t, int32_t);

constexpr const wchar_t* kLanguages[] = {L"english", L"chinesesimplified", L"chinesetraditional",
                                         L"japanese", L"korean",           L"french",
                                         L"german",  L"spanish",           L"portuguese"};
constexpr int32_t kScenarioCount = 20;
constexpr int32_t kExtraDpis[] = {144, 192};

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

std::wstring FileName(const wchar_t* language, int32_t scenario, int32_t dpi) {
    wchar_t name[96] = {};
    std::swprintf(name, std::size(name), L"%ls-s%02d-%d.png", language, static_cast<int>(scenario),
                  static_cast<int>(dpi));
    return name;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: render_gallery.exe <output folder> [LumoraUI.dll]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring dllPath = argc > 2 ? std::wstring(argv[2]) : ExeFolder() + L"\\LumoraUI.dll";
    ::CreateDirectoryW(folder.c_str(), nullptr);

    // The renderer encodes with WIC, which needs COM on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(com)) {
        std::fwprintf(stderr, L"CoInitializeEx failed: 0x%08lx\n", static_cast<unsigned long>(com));
        return 1;
    }
    const HMODULE dll = ::LoadLibraryW(dllPath.c_str());
    if (!dll) {
        std::fwprintf(stderr, L"cannot load %ls: error %lu\n", dllPath.c_str(), ::GetLastError());
        ::CoUninitialize();
        return 1;
    }
    const auto loadLanguage = reinterpret_cast<LoadLanguageFn>(::GetProcAddress(dll, "LumUI_LoadLanguage"));
    const auto render = reinterpret_cast<RenderFn>(::GetProcAddress(dll, "LumUI_Render"));
    int failures = 0;
    if (!loadLanguage || !render) {
        std::fwprintf(stderr, L"%ls lacks LumUI_LoadLanguage or LumUI_Render\n", dllPath.c_str());
        failures = 1;
    } else {
        for (const wchar_t* language : kLanguages) {
            loadLanguage(nullptr, language);
            const bool english = std::wstring(language) == L"english";
            // One DPI after the other: the library keeps each illustration
            // per scale and language, and reuses it for the next screen.
            for (int pass = 0; pass < (english ? 3 : 1); ++pass) {
                const int32_t dpi = pass == 0 ? 96 : kExtraDpis[pass - 1];
                for (int32_t scenario = 0; scenario < kScenarioCount; ++scenario) {
                    const std::wstring name = FileName(language, scenario, dpi);
                    const bool ok = render((folder + L"\\" + name).c_str(), scenario, dpi) == 1;
                    if (!ok) ++failures;
                    std::wprintf(L"%ls %ls\n", ok ? L"ok" : L"FAILED", name.c_str());
                }
            }
        }
    }
    std::fflush(stdout);
    ::FreeLibrary(dll);
    ::CoUninitialize();
    return failures == 0 ? 0 : 1;
}
