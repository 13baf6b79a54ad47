// ControlRecord: one clickable thing of the window (button, link, check box,
// title-bar button, menu item). Its rectangle is where it is drawn and where
// it is hit; its native window gives it keyboard focus and accessibility.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/value_animation.h"

namespace lum {

enum ControlKind : uint8_t {
    KindPrimary = 0,
    KindSecondary = 1,
    KindLink = 2,
    KindDanger = 3,
    KindMinimize = 4,
    KindClose = 5,
    KindCheckBox = 6,
    KindDisabled = 7,
    KindMenuItem = 8,
};

struct ControlRecord {
    std::wstring text;                               // language key, or a display name; empty for title-bar buttons
    float left = 0, top = 0, right = 0, bottom = 0;  // layout units
    int32_t action = 0;
    ControlKind kind = KindPrimary;
    HWND window = nullptr;  // native button over the control, if any
    bool hovered = false;
    ValueAnimation hover, press, check, focus;
};

}  // namespace lum
