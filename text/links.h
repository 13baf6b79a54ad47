// Links to the product website, chosen by the user's region.
#pragma once

#include <cstdint>
#include <string>

namespace lum {

enum LinkKind : int32_t { LinkHome = 0, LinkTerms = 1, LinkPrivacy = 2 };

// The link of a kind for the current user region; empty for unknown kinds.
std::wstring LinkFor(int32_t kind);

}  // namespace lum
