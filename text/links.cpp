#include "text/links.h"

#include <windows.h>

#include "base/ascii.h"

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
        const auto getGeoName = reinterpret_cast<GetUserDefaultGeoNameFn>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "GetUserDefaultGeoName")));
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
