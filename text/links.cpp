#include "text/links.h"

#include <windows.h>

#include "exports/LumoraUI.h"
#include "host/export_guard.h"
#include "host/text_buffer.h"

namespace lum {
namespace {

struct LinkPaths {
    const wchar_t* international;
    const wchar_t* regional;
};

// Indexed by LinkKind.
constexpr LinkPaths kLinkPaths[] = {
    {L"/", L"/"},
    {L"/terms-of-service/", L"/docs/policy/tos_zh_CN"},
    {L"/privacy-policy/", L"/docs/policy/privacy_zh_CN"},
};

constexpr int kRegionBufferChars = 16;

using GetUserDefaultGeoNameFn = int(WINAPI*)(LPWSTR, int);

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The counts of both calls include the terminator, so more than 1 means a
// non-empty name; anything else (0 for a failure) means no answer.
std::wstring RegionFromBuffer(const wchar_t* buffer, int count) {
    if (count <= 1 || count > kRegionBufferChars) return std::wstring();
    std::wstring region(buffer, static_cast<size_t>(count - 1));
    if (region.size() > kMaxRegionChars) region.resize(kMaxRegionChars);
    return region;
}

}  // namespace

std::wstring UserRegion() {
    wchar_t buffer[kRegionBufferChars] = {};
    // GetUserDefaultGeoName exists from Windows 10 1709 on; older systems
    // only have the numeric geo id, so it is looked up at run time.
    if (const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) {
        const auto getGeoName =
            reinterpret_cast<GetUserDefaultGeoNameFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "GetUserDefaultGeoName")));
        if (getGeoName) {
            std::wstring region = RegionFromBuffer(buffer, getGeoName(buffer, kRegionBufferChars));
            if (!region.empty()) return region;
        }
    }
    const GEOID nation = ::GetUserGeoID(GEOCLASS_NATION);
    if (nation == GEOID_NOT_AVAILABLE) return std::wstring();
    buffer[0] = L'\0';
    return RegionFromBuffer(buffer, ::GetGeoInfoW(nation, GEO_ISO2, buffer, kRegionBufferChars, 0));
}

std::wstring LinkForRegion(int32_t kind, std::wstring_view region) {
    if (kind < LinkHome || kind > LinkPrivacy) return std::wstring();
    const bool regional = EqualsIgnoringAsciiCase(region, kRegionalRegion);
    const LinkPaths& paths = kLinkPaths[kind];
    std::wstring link = L"https://";
    link += regional ? kRegionalHost : kInternationalHost;
    link += regional ? paths.regional : paths.international;
    return link;
}

std::wstring LinkFor(int32_t kind) {
    if (kind < LinkHome || kind > LinkPrivacy) return std::wstring();
    return LinkForRegion(kind, UserRegion());
}

}  // namespace lum

extern "C" int32_t LUMUI_API LumUI_GetLink(int32_t kind, wchar_t* buffer, int32_t size) {
    return lum::Guarded<int32_t>(0, [kind, buffer, size] {
        // Nothing is written and nothing asked of the system for a buffer
        // that cannot take even the terminator.
        if (!buffer || size < 1) return 0;
        return lum::CopyToBuffer(lum::LinkFor(kind), buffer, size);
    });
}
