// Offline rendering as a setup program sees it: LumUI_Render through the DLL,
// the PNG decoded again with WIC and its pixels checked, the layout dump read
// back. Every render costs ~100 ms under Mesa, so each test makes few.
#include <gtest/gtest.h>

#include <wincodec.h>

#include <string>
#include <vector>

#include "draw/canvas.h"
#include "base/scoped_win.h"
#include "host/ui_state.h"
#include "test_support.h"

using lumtest::Dll;
using lumtest::TempDir;
using namespace lum;

namespace {

struct Image {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
    uint32_t At(UINT x, UINT y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Decodes a PNG file into 32-bit BGRA pixels; an empty image when it cannot.
Image LoadPng(const std::wstring& path) {
    Image image;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &converted)) ||
        FAILED(converted->GetSize(&image.width, &image.height))) {
        return Image{};
    }
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    if (FAILED(converted->CopyPixels(nullptr, image.width * 4, static_cast<UINT>(image.pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(image.pixels.data())))) {
        return Image{};
    }
    return image;
}

int Channel(uint32_t color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

// True when every colour channel is within `tolerance` of the expected one.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 2) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) {
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

// A one-unit line at y covers half of two pixel rows; the rasteriser may put
// it on either of them.
bool LineAt(const Image& image, UINT x, UINT y, uint32_t background) {
    return !Near(image.At(x, y - 1), background, 4) || !Near(image.At(x, y), background, 4);
}

bool Reddish(uint32_t color) { return Channel(color, 16) - Channel(color, 8) > 50; }

// How many pixels of the rectangle pass the test.
template <typename Test>
int CountPixels(const Image& image, UINT left, UINT top, UINT right, UINT bottom, Test test) {
    int count = 0;
    for (UINT y = top; y < bottom; ++y) {
        for (UINT x = left; x < right; ++x) count += test(image.At(x, y)) ? 1 : 0;
    }
    return count;
}

// The dim layer 0x55172B45 over a colour.
uint32_t Dimmed(uint32_t under) {
    uint32_t out = 0xFF000000u;
    for (int shift : {0, 8, 16}) {
        const double a = Channel(under, shift);
        const double b = Channel(0x172B45, shift);
        out |= static_cast<uint32_t>(a + (b - a) * 0x55 / 255.0 + 0.5) << shift;
    }
    return out;
}

class PagesRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto& api = Dll();
        api.LoadLanguage(nullptr, L"english");
        api.SetFlags(FlagDesktopShortcut);
        api.SetProgress(0, 100, nullptr);
        api.SetText(L"Error", nullptr);
    }

    Image Render(int32_t scenario, int32_t dpi = 96) {
        const std::wstring path = dir_ / (std::to_wstring(scenario) + L"-" + std::to_wstring(++count_) + L".png");
        EXPECT_EQ(Dll().Render(path.c_str(), scenario, dpi), 1) << "scenario " << scenario << " dpi " << dpi;
        return LoadPng(path);
    }

    ComScope com_;
    TempDir dir_;
    int count_ = 0;
};

// Unloads the DLL before the process ends. Under Wine, releasing the drawing
// objects of a DLL that has drawn hangs when it happens in the process-exit
// detach (after the other threads are gone); an explicit unload is clean.
class UnloadDllAtEnd : public ::testing::Environment {
public:
    void TearDown() override {
        if (Dll().module) ::FreeLibrary(Dll().module);
    }
};
const auto* const kUnloadDll = ::testing::AddGlobalTestEnvironment(new UnloadDllAtEnd);

constexpr uint32_t kBackground = 0xFFF6F2E9;
constexpr uint32_t kAccent = 0xFF3388FF;
constexpr uint32_t kTrack = 0xFFDCE5F2;

}  // namespace

TEST_F(PagesRenderTest, WelcomePageAtEveryDpi) {
    const std::pair<int32_t, std::pair<UINT, UINT>> cases[] = {
        {96, {720, 480}}, {144, {1080, 720}}, {192, {1440, 960}}};
    for (const auto& [dpi, size] : cases) {
        const Image image = Render(PageWelcome, dpi);
        ASSERT_EQ(image.width, size.first) << dpi;
        EXPECT_EQ(image.height, size.second) << dpi;
        const UINT s = static_cast<UINT>(dpi) * 10 / 96;  // tenths: the same spot of the background at every scale
        EXPECT_TRUE(Near(image.At(2 * s, 30 * s), kBackground, dpi == 96 ? 0 : 2));
        if (dpi != 96) continue;
        // "Install now" spans 48 ... 308 by 326 ... 370; its label and arrow sit in the middle.
        EXPECT_TRUE(Near(image.At(60, 348), kAccent, 0));
        EXPECT_TRUE(Near(image.At(296, 334), kAccent, 0));
        EXPECT_TRUE(LineAt(image, 360, 422, kBackground)) << "the divider above the legal line";
    }
}

TEST_F(PagesRenderTest, DialogDimsThePageBeneath) {
    const Image image = Render(11);
    ASSERT_EQ(image.width, 720u);
    EXPECT_TRUE(Near(image.At(20, 460), Dimmed(kBackground)));
    // The "CancelInstall" button of the page shows through the dim layer (white under it).
    EXPECT_TRUE(Near(image.At(540, 430), Dimmed(0xFFFFFFFF)));
    EXPECT_TRUE(Near(image.At(130, 240), kBackground)) << "the card itself is not dimmed";
}

TEST_F(PagesRenderTest, ProgressBarEndsAtOneThirdAndHighScenariosDrawThatPage) {
    Dll().SetProgress(1, 3, nullptr);
    const Image image = Render(PageInstalling);
    ASSERT_EQ(image.width, 720u);
    const UINT end = 40 + 640 / 3;  // 253
    EXPECT_TRUE(Near(image.At(44, 347), kAccent, 0));
    EXPECT_TRUE(Near(image.At(end - 3, 347), kAccent, 0));
    EXPECT_TRUE(Near(image.At(end + 3, 347), kTrack, 0));
    EXPECT_TRUE(Near(image.At(676, 347), kTrack, 0));
    // A scenario above 19 draws the installing page.
    EXPECT_TRUE(Render(25).pixels == image.pixels);
}

TEST_F(PagesRenderTest, PathErrorPageShowsRedFieldErrorLineAndMovedCheckBox) {
    Dll().SetText(L"Error", L"This location is not writable. Choose another folder.");
    const Image error = Render(PageOptionsPathError);
    Dll().SetFlags(0);
    const Image plain = Render(PageOptions);
    ASSERT_EQ(error.width, 720u);
    ASSERT_EQ(plain.width, 720u);
    EXPECT_TRUE(Reddish(error.At(300, 177)) || Reddish(error.At(300, 176))) << "red field border";
    EXPECT_FALSE(Reddish(plain.At(300, 177)) || Reddish(plain.At(300, 176)));
    EXPECT_GT(CountPixels(error, 40, 229, 400, 247, Reddish), 40) << "the error text in red under the field";
    EXPECT_EQ(CountPixels(plain, 40, 229, 400, 247, Reddish), 0);
    // The extra divider at y 267, and the check box (16 x 16, centred in its
    // 28-high row) moved from 242 down to 286: ticked with the flag, white without.
    EXPECT_TRUE(LineAt(error, 360, 267, kBackground));
    EXPECT_FALSE(LineAt(plain, 360, 267, kBackground));
    EXPECT_TRUE(Near(error.At(42, 295), kAccent, 0));
    EXPECT_TRUE(Near(error.At(42, 253), kBackground, 0));
    EXPECT_TRUE(Near(plain.At(42, 253), 0xFFFFFFFF, 0));
}

TEST_F(PagesRenderTest, LayoutDumpListsOverflowingTextsInUtf8) {
    const auto& api = Dll();
    const std::wstring title =
        L"Écrans intelligents\nqui ne tiennent jamais dans leur boîte, même une fois réduits au minimum permis";
    api.SetText(L"WelcomeTitle", title.c_str());
    const std::wstring path = dir_ / L"overflow.png";
    ASSERT_EQ(api.Render(path.c_str(), PageWelcome, 96), 1);
    const std::string dump = lumtest::ReadFileBytes(path + L".layout.txt");
    ASSERT_EQ(dump.rfind("overflow_count=", 0), 0u) << dump;
    EXPECT_GE(std::stoi(dump.substr(15)), 1);
    EXPECT_EQ(dump.find('\r'), std::string::npos) << "line feeds only";
    EXPECT_NE(dump.find(lumtest::Utf8(title) + "\n"), std::string::npos) << dump;
    EXPECT_EQ(dump.back(), '\n');
}

TEST_F(PagesRenderTest, BadInputGivesZero) {
    const auto& api = Dll();
    EXPECT_EQ(api.Render(nullptr, 0, 96), 0);
    WIN32_FIND_DATAW found{};
    EXPECT_FALSE(UniqueFileHandle(::FindFirstFileW((dir_ / L"*.txt").c_str(), &found)).valid())
        << "a null path writes nothing: " << lumtest::Utf8(found.cFileName);

    for (int32_t dpi : {0, -96}) {
        const std::wstring path = dir_ / (L"dpi" + std::to_wstring(-dpi) + L".png");
        EXPECT_EQ(api.Render(path.c_str(), PageWelcome, dpi), 0) << dpi;
        EXPECT_EQ(lumtest::ReadFileBytes(path + L".layout.txt"), "overflow_count=0\n") << "the dump is still written";
    }
    const std::wstring missing = dir_ / L"no such folder\\page.png";
    EXPECT_EQ(api.Render(missing.c_str(), PageWelcome, 96), 0);
    EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The linked copy, where the state around a render can be seen.
TEST(PagesRenderInternal, RenderPutsTheUiStateBack) {
    ComScope com;
    TempDir dir;
    UiState& ui = Ui();
    ui = UiState{};
    LumUI_LoadLanguage(nullptr, L"english");
    ui.page = PageInstalled;
    ui.flags = FlagDesktopShortcut;
    ui.controls.resize(3);
    ui.controls[1].text = L"kept";

    const std::wstring menu = dir / L"menu.png";
    ASSERT_EQ(LumUI_Render(menu.c_str(), 14, 96), 1);
    EXPECT_EQ(ui.page, PageInstalled);
    EXPECT_FALSE(ui.languageMenuOpen);
    EXPECT_EQ(ui.dialog, DialogNone);
    ASSERT_EQ(ui.controls.size(), 3u);
    EXPECT_EQ(ui.controls[1].text, L"kept");
    // Scenario 14 drew the welcome page (the divider above the legal line) under the open language menu.
    const Image welcome = LoadPng(menu);
    ASSERT_EQ(welcome.width, 720u);
    EXPECT_TRUE(Near(welcome.At(600, 326), 0xFFFFFFFF, 0)) << "the menu panel";
    EXPECT_TRUE(LineAt(welcome, 100, 422, kBackground)) << "the welcome page's divider";

    const std::wstring clear = dir / L"clear.png";
    ASSERT_EQ(LumUI_Render(clear.c_str(), 13, 96), 1);
    EXPECT_EQ(ui.flags, static_cast<uint32_t>(FlagDesktopShortcut)) << "the scenario's flag is taken back";
    EXPECT_EQ(ui.dialog, DialogNone);
}
