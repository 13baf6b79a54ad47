// UI state through the exports, as a setup program drives it before any window exists.
#include <gtest/gtest.h>

#include "test_support.h"

using lumtest::Dll;

TEST(UiStateExports, FlagsStartAtDesktopShortcutAndKeepUnknownBits) {
    const auto& api = Dll();
    EXPECT_EQ(api.GetFlags(), 1u);
    api.SetFlags(0xF0000009u);
    EXPECT_EQ(api.GetFlags(), 0xF0000009u);
    api.SetFlags(1u);
    EXPECT_EQ(api.GetFlags(), 1u);
}
