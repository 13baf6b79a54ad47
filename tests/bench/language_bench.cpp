// Figures for choosing a language: building the text map from the table, and
// LumUI_LoadLanguage with an override file (one profile read per key).
#include <windows.h>

#include <cstdio>
#include <string>

#include "exports/LumoraUI.h"
#include "test_support.h"
#include "text/language.h"
#include "text/override_template.h"
#include "text/text_lookup.h"
#include "host/ui_state.h"

namespace {

double NowMs() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename F>
void Measure(const char* what, int rounds, F&& body) {
    body();  // warm-up
    const double start = NowMs();
    for (int i = 0; i < rounds; ++i) body();
    std::printf("%-44s %9.3f ms per call (%d calls)\n", what, (NowMs() - start) / rounds, rounds);
}

}  // namespace

int main() {
    lumtest::TempDir dir;
    const std::wstring full = dir / L"japanese.ini";
    if (lum::WriteOverrideTemplate(full, L"japanese") != 0) {
        std::printf("cannot write the template\n");
        return 1;
    }
    const std::wstring one = dir / L"one.ini";
    lumtest::WriteFileBytes(one, std::string("\xFF\xFE[\0j\0a\0p\0a\0n\0e\0s\0e\0]\0\r\0\n\0", 24));

    Measure("BuildTextMap(japanese)", 2000, [] { (void)lum::BuildTextMap(L"japanese"); });
    Measure("LumUI_LoadLanguage(no file, japanese)", 2000, [] { LumUI_LoadLanguage(nullptr, L"japanese"); });
    Measure("LumUI_LoadLanguage(missing file, japanese)", 50,
            [&] { LumUI_LoadLanguage((dir / L"missing.ini").c_str(), L"japanese"); });
    Measure("LumUI_LoadLanguage(empty section file)", 50, [&] { LumUI_LoadLanguage(one.c_str(), L"japanese"); });
    Measure("LumUI_LoadLanguage(full template, 134 keys)", 50, [&] { LumUI_LoadLanguage(full.c_str(), L"japanese"); });
    Measure("TextLookup(SetupTitle)", 100000, [] { (void)lum::Ui().Text(L"SetupTitle"); });
    return 0;
}
