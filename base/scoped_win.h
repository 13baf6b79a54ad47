// Small owning wrappers for Windows handles, GDI objects and COM pointers.
// Copies are deleted; moves transfer ownership and leave the source empty.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <utility>

namespace lum {

using Microsoft::WRL::ComPtr;

// Generic owner: Traits gives the invalid value and the close call.
template <typename Traits>
class UniqueValue {
public:
    using Type = typename Traits::Type;

    UniqueValue() noexcept = default;
    explicit UniqueValue(Type value) noexcept : value_(value) {}
    ~UniqueValue() { reset(); }

    UniqueValue(const UniqueValue&) = delete;
    UniqueValue& operator=(const UniqueValue&) = delete;
    UniqueValue(UniqueValue&& other) noexcept : value_(other.release()) {}
    UniqueValue& operator=(UniqueValue&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Type get() const noexcept { return value_; }
    bool valid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    // Releases the current value, then hands out its address for an out parameter.
    Type* put() noexcept {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Invalid();
};

// Process, thread and event handles: null means "none".
struct KernelHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() noexcept { return nullptr; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
// Files and tool-help snapshots: INVALID_HANDLE_VALUE means "none".
struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct LocalMemTraits {
    using Type = HLOCAL;
    static HLOCAL Invalid() noexcept { return nullptr; }
    static void Close(HLOCAL h) noexcept { ::LocalFree(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static HDC Invalid() noexcept { return nullptr; }
    static void Close(HDC h) noexcept { ::DeleteDC(h); }
};
template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static T Invalid() noexcept { return nullptr; }
    static void Close(T h) noexcept { ::DeleteObject(h); }
};
struct WindowTraits {
    using Type = HWND;
    static HWND Invalid() noexcept { return nullptr; }
    static void Close(HWND h) noexcept {
        if (::IsWindow(h)) ::DestroyWindow(h);
    }
};
struct ModuleTraits {
    using Type = HMODULE;
    static HMODULE Invalid() noexcept { return nullptr; }
    static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};

using UniqueHandle = UniqueValue<KernelHandleTraits>;
using UniqueFileHandle = UniqueValue<FileHandleTraits>;
using UniqueLocalMem = UniqueValue<LocalMemTraits>;
using UniqueMemoryDc = UniqueValue<MemoryDcTraits>;
using UniqueWindow = UniqueValue<WindowTraits>;
using UniqueModule = UniqueValue<ModuleTraits>;
template <typename T>
using UniqueGdiObject = UniqueValue<GdiObjectTraits<T>>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;

// A window DC obtained with GetDC, released with ReleaseDC.
class ScreenDc {
public:
    explicit ScreenDc(HWND window = nullptr) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~ScreenDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// CoInitializeEx for the current scope; uninitialises only if it succeeded.
class ComScope {
public:
    explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED) noexcept : hr_(::CoInitializeEx(nullptr, model)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    HRESULT result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace lum
