#include "test_support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

namespace lumtest {

const LumoraApi& Dll() {
    static const LumoraApi api = [] {
        LumoraApi api;
        api.module = ::LoadLibraryW((ExeDir() + L"LumoraUI.dll").c_str());
#define LUMTEST_RESOLVE(name)                                                                                  \
    api.name = reinterpret_cast<decltype(api.name)>(                                                         \
        reinterpret_cast<void*>(api.module ? ::GetProcAddress(api.module, "LumUI_" #name) : nullptr)); \
    if (!api.name) ADD_FAILURE() << "LumoraUI.dll (error " << ::GetLastError() << ") lacks LumUI_" #name;
        LUMTEST_EXPORTS(LUMTEST_RESOLVE)
#undef LUMTEST_RESOLVE
        return api;
    }();
    return api;
}

Lines TakeDllLog() {
    static const std::wregex prefix(L"\\[native \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\] ");
    Lines lines;
    for (int32_t n; (n = Dll().ReadLog(nullptr, 0)) > 0;) {
        std::wstring line(static_cast<size_t>(n) + 1, L'\0');
        if (Dll().ReadLog(line.data(), n + 1) != n) break;
        EXPECT_TRUE(std::regex_match(line.substr(0, 22), prefix)) << Utf8(line);
        lines.push_back(line.substr(22, static_cast<size_t>(n) - 22));
    }
    return lines;
}

size_t Count(const Lines& lines, const std::wstring& prefix) {
    return std::count_if(lines.begin(), lines.end(), [&](const auto& line) { return line.rfind(prefix, 0) == 0; });
}

ptrdiff_t IndexOf(const Lines& lines, const std::wstring& prefix) {
    const auto at = std::find_if(lines.begin(), lines.end(), [&](const auto& line) { return line.rfind(prefix, 0) == 0; });
    return at == lines.end() ? -1 : at - lines.begin();
}

Child::Child(const std::wstring& exe, const std::vector<std::wstring>& args) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    for (const auto& arg : args) commandLine += L" \"" + arg + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "CreateProcess failed for " << Utf8(exe) << ", error " << ::GetLastError();
    }
    ::CloseHandle(info.hThread);
    handle = info.hProcess;
    pid = info.dwProcessId;
}

DWORD Child::ExitCode() const {
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeProcess(handle, &code));
    return code;
}

std::vector<DWORD> ChildrenOf(DWORD parent, const std::wstring& name) {
    std::vector<DWORD> children;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (bool more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent && _wcsicmp(entry.szExeFile, name.c_str()) == 0) {
            children.push_back(entry.th32ProcessID);
        }
    }
    ::CloseHandle(snapshot);
    return children;
}

NamedEvent::NamedEvent() {
    static std::atomic<int> counter{0};
    name = L"lumtest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    event = ::CreateEventW(nullptr, TRUE, FALSE, name.c_str());
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path = (std::filesystem::temp_directory_path() / ("lumtest-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                                      std::to_string(counter++) + "-" + std::to_string(::GetTickCount64())))
               .wstring();
    if (!::CreateDirectoryW(path.c_str(), nullptr)) ADD_FAILURE() << "could not create " << Utf8(path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

Image LoadPng(const std::wstring& path) {
    Image image;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // once per thread; later calls only count
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    Microsoft::WRL::ComPtr<IWICBitmapDecoder> decoder;
    Microsoft::WRL::ComPtr<IWICBitmapFrameDecode> frame;
    Microsoft::WRL::ComPtr<IWICBitmapSource> converted;
    const bool ok =
        SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                     &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) &&
        SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &converted)) &&
        SUCCEEDED(converted->GetSize(&image.width, &image.height)) &&
        (image.pixels.resize(static_cast<size_t>(image.width) * image.height), true) &&
        SUCCEEDED(converted->CopyPixels(nullptr, image.width * 4, static_cast<UINT>(image.pixels.size() * 4),
                                        reinterpret_cast<BYTE*>(image.pixels.data())));
    return ok ? image : Image{};
}

Image RenderScreen(const TempDir& dir, int32_t scenario, int32_t dpi) {
    static int count = 0;
    const std::wstring path = dir / (std::to_wstring(++count) + L".png");
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(Dll().Render(path.c_str(), scenario, dpi), 1) << "scenario " << scenario << " dpi " << dpi;
    return LoadPng(path);
}

bool Near(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

std::wstring ExeDir() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    return file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).good();
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                         out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

double TimePerCall(const std::string& what, int rounds, const std::function<void()>& body) {
    LARGE_INTEGER frequency, start, first, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    body();
    ::QueryPerformanceCounter(&first);
    for (int i = 0; i < rounds; ++i) body();
    ::QueryPerformanceCounter(&end);
    const double unit = 1000.0 / static_cast<double>(frequency.QuadPart);
    std::printf("%-48s first %9.3f ms, then %9.3f ms per call (%d calls)\n", what.c_str(),
                static_cast<double>(first.QuadPart - start.QuadPart) * unit,
                static_cast<double>(end.QuadPart - first.QuadPart) * unit / rounds, rounds);
    return static_cast<double>(end.QuadPart - first.QuadPart) * unit / rounds;
}

}  // namespace lumtest
