#include "draw/png_writer.h"

#include <wincodec.h>

#include <vector>

#include "base/failure_log.h"
#include "base/scoped_win.h"

namespace lum {

bool WritePng(const FrameBitmap& frame, const std::wstring& path) {
    if (!frame.pixels() || path.empty()) return false;
    // The imaging component is a COM object, and the apartment is the
    // caller's: on a thread that has not entered COM the factory cannot be
    // made, and the call fails (logged once, with CO_E_NOTINITIALIZED).
    ComPtr<IWICImagingFactory> factory;
    if (!Succeeded(::CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.GetAddressOf())),
                   "CoCreateInstance(WICImagingFactory)")) {
        return false;
    }
    ComPtr<IWICStream> stream;
    if (!Succeeded(factory->CreateStream(stream.GetAddressOf()), "IWICImagingFactory::CreateStream") ||
        !Succeeded(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE), "IWICStream::InitializeFromFilename")) {
        return false;
    }
    ComPtr<IWICBitmapEncoder> encoder;
    if (!Succeeded(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf()),
                   "IWICImagingFactory::CreateEncoder") ||
        !Succeeded(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "IWICBitmapEncoder::Initialize")) {
        return false;
    }
    ComPtr<IWICBitmapFrameEncode> frameEncode;
    ComPtr<IPropertyBag2> options;
    if (!Succeeded(encoder->CreateNewFrame(frameEncode.GetAddressOf(), options.GetAddressOf()),
                   "IWICBitmapEncoder::CreateNewFrame")) {
        return false;
    }
    // Rows are stored unfiltered: the encoder then skips trying every filter
    // on every row, the slowest part of encoding, and a flat user interface
    // compresses about as well without them.
    PROPBAG2 filterOption{};
    filterOption.pstrName = const_cast<LPOLESTR>(L"FilterOption");
    VARIANT filter{};
    filter.vt = VT_UI1;
    filter.bVal = WICPngFilterNone;
    if (options) Succeeded(options->Write(1, &filterOption, &filter), "IPropertyBag2::Write(FilterOption)");
    // The frame's rows go to the encoder as 24-bit BGR, the alpha byte of
    // each pixel left out, without an intermediate bitmap.
    const UINT width = static_cast<UINT>(frame.width()), height = static_cast<UINT>(frame.height());
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (!Succeeded(frameEncode->Initialize(options.Get()), "IWICBitmapFrameEncode::Initialize") ||
        !Succeeded(frameEncode->SetSize(width, height), "IWICBitmapFrameEncode::SetSize") ||
        !Succeeded(frameEncode->SetPixelFormat(&format), "IWICBitmapFrameEncode::SetPixelFormat")) {
        return false;
    }
    if (format != GUID_WICPixelFormat24bppBGR) {
        ReportFailedCall("IWICBitmapFrameEncode::SetPixelFormat(24bppBGR)", static_cast<uint32_t>(E_FAIL));
        return false;
    }
    ::GdiFlush();  // the last drawing calls have reached the bits
    const UINT stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * height);
    for (UINT y = 0; y < height; ++y) {
        const uint32_t* from = frame.pixels() + static_cast<size_t>(y) * width;
        BYTE* to = rows.data() + static_cast<size_t>(y) * stride;
        for (UINT x = 0; x < width; ++x, to += 3) {
            to[0] = static_cast<BYTE>(from[x]);
            to[1] = static_cast<BYTE>(from[x] >> 8);
            to[2] = static_cast<BYTE>(from[x] >> 16);
        }
    }
    if (!Succeeded(frameEncode->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data()),
                   "IWICBitmapFrameEncode::WritePixels") ||
        !Succeeded(frameEncode->Commit(), "IWICBitmapFrameEncode::Commit") ||
        !Succeeded(encoder->Commit(), "IWICBitmapEncoder::Commit")) {
        return false;
    }
    return true;
}

}  // namespace lum
