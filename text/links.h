// Links to the product website, chosen by the user's region (not by the UI
// language): mainland China has its own host with its own page paths.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lum {

enum LinkKind : int32_t { LinkHome = 0, LinkTerms = 1, LinkPrivacy = 2 };

constexpr wchar_t kInternationalHost[] = L"lumora.app";
constexpr wchar_t kRegionalHost[] = L"lumora.cn";
// The region served by kRegionalHost, compared ignoring case.
constexpr wchar_t kRegionalRegion[] = L"CN";
// UserRegion keeps at most this many characters.
constexpr size_t kMaxRegionChars = 15;

// The user's region as Windows reports it, usually an ISO 3166 two-letter
// code; empty when the system cannot tell. Asked afresh at every call.
std::wstring UserRegion();

// The link of a kind for a given region; empty for unknown kinds.
std::wstring LinkForRegion(int32_t kind, std::wstring_view region);

// The link of a kind for the current user region; empty for unknown kinds.
std::wstring LinkFor(int32_t kind);

}  // namespace lum
