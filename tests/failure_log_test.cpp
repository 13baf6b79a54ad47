// A failed Windows call reaches the native log once, named, with its code;
// the export that met it still answers with its failure result.
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "base/failure_log.h"
#include "draw/canvas.h"
#include "test_support.h"

namespace {

std::vector<std::wstring> g_lines;
void Collect(const std::wstring& line) { g_lines.push_back(line); }

size_t CountContaining(const std::vector<std::wstring>& lines, const std::wstring& start) {
    size_t count = 0;
    for (const std::wstring& line : lines) count += line.find(start) != std::wstring::npos;
    return count;
}

TEST(FailureLogTest, AFrameThatCannotBeBoundIsReportedOnce) {
    lum::SetFailureSink(&Collect);
    ASSERT_TRUE(lum::EnsureFactories());
    const RECT rect{0, 0, 16, 16};
    const HDC notADc = reinterpret_cast<HDC>(static_cast<uintptr_t>(0x7FF0));
    for (int frame = 0; frame < 3; ++frame) {
        lum::Canvas canvas;
        EXPECT_FALSE(canvas.Begin(notADc, rect, 1.0f));
    }
    lum::SetFailureSink(nullptr);
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0].rfind(L"Call failed call=ID2D1DCRenderTarget::BindDC error=", 0), 0u)
        << lumtest::Utf8(g_lines[0]);
}

TEST(FailureLogTest, RenderIntoAMissingFolderFailsAndSaysWhy) {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    lumtest::TempDir dir;
    const std::wstring png = dir / L"no-such-folder\\screen.png";
    lumtest::TakeDllLog();
    EXPECT_EQ(lumtest::Dll().Render(png.c_str(), 0, 96), 0);
    EXPECT_EQ(lumtest::Dll().Render(png.c_str(), 1, 96), 0);
    const std::vector<std::wstring> lines = lumtest::TakeDllLog();
    const uint32_t pathNotFound = static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(CountContaining(lines, L"Call failed call=IWICStream::InitializeFromFilename error=" +
                                           std::to_wstring(pathNotFound) + L" "),
              1u);
    ::CoUninitialize();
}

}  // namespace
