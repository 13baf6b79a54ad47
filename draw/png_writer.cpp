#include "draw/png_writer.h"

#include <wincodec.h>

#include "base/failure_log.h"
#include "base/scoped_win.h"

namespace lum {

bool WritePng(const FrameBitmap& frame, const std::wstring& path) {
    if (!frame.bitmap() || path.empty()) return false;
    // The imaging component is a COM object: a setup that renders from a
    // thread without COM (a worker, a test harness) still gets its file. A
    // thread already in another apartment keeps it; the objects below are
    // released before the scope ends.
    const ComScope com;

    ComPtr<IWICImagingFactory> factory;
    if (!Succeeded(::CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.GetAddressOf())),
                   "CoCreateInstance(WICImagingFactory)")) {
        return false;
    }
    ComPtr<IWICBitmap> source;
    if (!Succeeded(
            factory->CreateBitmapFromHBITMAP(frame.bitmap(), nullptr, WICBitmapIgnoreAlpha, source.GetAddressOf()),
            "IWICImagingFactory::CreateBitmapFromHBITMAP")) {
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
    if (!Succeeded(encoder->CreateNewFrame(frameEncode.GetAddressOf(), nullptr), "IWICBitmapEncoder::CreateNewFrame") ||
        !Succeeded(frameEncode->Initialize(nullptr), "IWICBitmapFrameEncode::Initialize") ||
        !Succeeded(frameEncode->WriteSource(source.Get(), nullptr), "IWICBitmapFrameEncode::WriteSource") ||
        !Succeeded(frameEncode->Commit(), "IWICBitmapFrameEncode::Commit") ||
        !Succeeded(encoder->Commit(), "IWICBitmapEncoder::Commit")) {
        return false;
    }
    return true;
}

}  // namespace lum
