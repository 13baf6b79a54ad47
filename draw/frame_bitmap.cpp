// The off-screen frame: a 32-bit top-down DIB section in a memory DC.
#include "base/failure_log.h"
#include "draw/canvas.h"

namespace lum {

bool FrameBitmap::Ensure(int width, int height) {
    if (dc_ && bitmap_ && width == width_ && height == height_) return true;
    Release();
    if (width < 1 || height < 1) return false;
    if (static_cast<int64_t>(width) * static_cast<int64_t>(height) > kMaxPixels) return false;

    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));  // compatible with the screen
    if (!dc) {
        ReportFailedCall("CreateCompatibleDC", ::GetLastError());
        return false;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        ReportFailedCall("CreateDIBSection", ::GetLastError());
        return false;
    }

    HGDIOBJ previous = ::SelectObject(dc.get(), bitmap.get());
    if (!previous || previous == HGDI_ERROR) {
        ReportFailedCall("SelectObject", ::GetLastError());
        return false;
    }

    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    previous_ = previous;
    pixels_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

void FrameBitmap::Release() {
    // The bitmap can only be deleted once it is no longer selected.
    if (dc_ && previous_) ::SelectObject(dc_.get(), previous_);
    previous_ = nullptr;
    bitmap_.reset();
    dc_.reset();
    pixels_ = nullptr;
    width_ = 0;
    height_ = 0;
}

}  // namespace lum
