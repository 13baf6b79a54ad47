#include "draw/cross_fade.h"

#include <algorithm>
#include <cmath>

#include "base/failure_log.h"

namespace lum {

void BlendFrames(const FrameBitmap& from, const FrameBitmap* to, float opacity, FrameBitmap& out) {
    if (!::BitBlt(out.dc(), 0, 0, out.width(), out.height(), from.dc(), 0, 0, SRCCOPY)) {
        ReportFailedCall("BitBlt", ::GetLastError());
        return;
    }
    const long alpha = std::lround(std::clamp(opacity, 0.0f, 1.0f) * 255.0f);
    if (alpha == 0 || !to || !to->dc()) return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
    if (!::GdiAlphaBlend(out.dc(), 0, 0, to->width(), to->height(), to->dc(), 0, 0, to->width(), to->height(), blend)) {
        ReportFailedCall("AlphaBlend", ::GetLastError());
    }
}

}  // namespace lum
