#include "draw/png_writer.h"

#include <wincodec.h>

namespace lum {

bool WritePng(const FrameBitmap& frame, const std::wstring& path) {
    if (!frame.bitmap() || path.empty()) return false;

    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(factory.GetAddressOf())))) {
        return false;
    }
    ComPtr<IWICBitmap> source;
    if (FAILED(factory->CreateBitmapFromHBITMAP(frame.bitmap(), nullptr, WICBitmapIgnoreAlpha,
                                                source.GetAddressOf()))) {
        return false;
    }
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.GetAddressOf())) ||
        FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) {
        return false;
    }
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf())) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache))) {
        return false;
    }
    ComPtr<IWICBitmapFrameEncode> frameEncode;
    if (FAILED(encoder->CreateNewFrame(frameEncode.GetAddressOf(), nullptr)) ||
        FAILED(frameEncode->Initialize(nullptr)) ||
        FAILED(frameEncode->WriteSource(source.Get(), nullptr)) ||
        FAILED(frameEncode->Commit()) ||
        FAILED(encoder->Commit())) {
        return false;
    }
    return true;
}

}  // namespace lum
