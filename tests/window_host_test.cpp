// The UI window as a setup program and a person use it: real windows under
// Xvfb, clicks through BM_CLICK and through the X server (xdotool), keys,
// modal waits, the windowed close of a fixture application, the log export
// through the real save dialog, and screenshots against LumUI_Render.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "test_support.h"

using lumtest::Dll;

namespace {

// Pumps this thread's messages until `done` holds or `ms` pass.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

HWND Host() { return ::FindWindowW(L"Lumora.VectorInstaller.Window", nullptr); }
HWND View(HWND host = Host()) { return ::FindWindowExW(host, nullptr, L"Lumora.VectorInstaller.View", nullptr); }

// The native controls in id order.
std::vector<HWND> Buttons() {
    std::vector<HWND> buttons;
    for (HWND child = ::GetWindow(View(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) >= 1000) buttons.push_back(child);
    }
    std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) { return ::GetDlgCtrlID(a) < ::GetDlgCtrlID(b); });
    for (size_t i = 0; i < buttons.size(); ++i) EXPECT_EQ(::GetDlgCtrlID(buttons[i]), 1000 + static_cast<int>(i));
    return buttons;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

std::vector<int> Drain() {
    std::vector<int> codes;
    while (const int code = Dll().Poll()) codes.push_back(code);
    return codes;
}

// The next queued code, waited for with the messages flowing; 0 when none comes.
int NextEvent(DWORD ms = 2000) {
    int code = 0;
    PumpUntil([&] { return (code = Dll().Poll()) != 0; }, ms);
    return code;
}

// Runs a Linux tool (xdotool, import) and waits for it, pumping messages
// meanwhile. Wine does not signal the end of a Unix process, so the shell
// leaves a mark file when the tool is done.
void Tool(const std::wstring& command) {
    static int count = 0;
    const std::wstring mark = L"/tmp/lumui-tool-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++count);
    std::wstring line = L"Z:\\bin\\sh -c \"" + command + L"; : > " + mark + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    std::wstring dosMark = L"Z:" + mark;
    std::replace(dosMark.begin(), dosMark.end(), L'/', L'\\');
    EXPECT_TRUE(PumpUntil([&] { return ::GetFileAttributesW(dosMark.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));
    ::DeleteFileW(dosMark.c_str());
}

POINT CentreOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClickWithPointer(HWND window) {
    const POINT p = CentreOf(window);
    Tool(L"xdotool mousemove " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y) + L" click 1");
}

std::vector<std::function<void()>> g_steps;
void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (g_steps.empty()) return;
    auto next = std::move(g_steps.front());
    g_steps.erase(g_steps.begin());
    next();
}
// Runs `step` from a timer of this thread, so it fires inside the library's modal loops.
void Later(std::function<void()> step, UINT ms = 30) {
    g_steps.push_back(std::move(step));
    ::SetTimer(nullptr, 0, ms, RunStep);
}
void Click(size_t index) { ::SendMessageW(Buttons().at(index), BM_CLICK, 0, 0); }

class WindowHost : public ::testing::Test {
protected:
    void SetUp() override {
        Dll().LoadLanguage(nullptr, L"english");
        ASSERT_EQ(Dll().Create(0, 96), 1);
        Dll().Show();
        Drain();
    }
    void TearDown() override {
        Dll().Destroy();
        Dll().SetFlags(1);
    }
};

// What each button queues, in control-list order after minimize and close:
// 0 = handled inside the library (menus, check boxes, links that open
// something), not clicked here.
const std::map<int, std::vector<int>> kQueued = {
    {0, {5, 0, 1, 2, 11, 12}}, {1, {5, 8, 0, 4, 3}}, {2, {5, 5}},        {3, {7, 6, 7}},
    {4, {5, 0, 5, 1, 13}},     {5, {5, 0, 5, 3}},    {6, {0, 0}},        {7, {7, 0, 7}},
    {8, {5, 9, 0}},            {9, {5, 5, 9, 0}},    {10, {5, 8, 0, 4, 0}}};

}  // namespace

TEST_F(WindowHost, EveryButtonQueuesItsActionByMessageAndByPointer) {
    for (const auto& [page, codes] : kQueued) {
        Dll().SetPage(page);
        ASSERT_EQ(Buttons().size(), codes.size() + 1) << "page " << page;
        for (size_t i = 0; i < codes.size(); ++i) {
            if (codes[i] == 0) continue;
            const HWND button = Buttons()[i + 1];
            ::SendMessageW(button, BM_CLICK, 0, 0);
            EXPECT_EQ(Drain(), std::vector<int>{codes[i]}) << "page " << page << " control " << i + 1;
            ClickWithPointer(Buttons()[i + 1]);
            EXPECT_EQ(NextEvent(), codes[i]) << "pointer, page " << page << " control " << i + 1;
        }
    }
    Dll().SetPage(6);  // nothing can be pressed while uninstalling
    EXPECT_FALSE(::IsWindowEnabled(Buttons()[1]));
    EXPECT_FALSE(::IsWindowEnabled(Buttons()[2]));
}

namespace {

// Scripted input for a modal wait: a control index to click, or a key.
constexpr int kEscape = -1, kEnter = -2, kQuit = -3;
void Script(const std::vector<int>& steps) {
    UINT at = 40;
    for (int step : steps) {
        Later([step] {
            if (step >= 0) return Click(static_cast<size_t>(step));
            if (step == kQuit) return ::PostQuitMessage(7);
            ::PostMessageW(::GetFocus(), WM_KEYDOWN, step == kEscape ? VK_ESCAPE : VK_RETURN, 0);
        }, at);
        at += 60;
    }
}

}  // namespace

TEST_F(WindowHost, ModalWaitsEndWithThePagesResults) {
    struct Case {
        int page;
        uint32_t flags;
        std::vector<int> steps;
        int result;
        std::vector<int> queued;
    };
    const Case cases[] = {
        {3, 1, {3}, 1, {}},        {7, 1, {kEscape}, 1, {}},    {7, 1, {kEnter}, 1, {}},    {9, 1, {3}, 9, {}},
        {9, 1, {kEscape}, 0, {}},   {5, 1, {4}, 1, {}},         {5, 3, {4, 1}, 3, {}},     {5, 3, {4, 0, 3}, 0, {}},
        {3, 1, {kEnter, kEscape}, 0, {6}},  // Enter presses the focused control, "Launch"
        {2, 1, {kQuit}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.page) + " steps " + std::to_string(c.steps.size()));
        Dll().SetFlags(c.flags);
        ASSERT_EQ(Dll().Create(c.page, 96), 1);
        Script(c.steps);
        EXPECT_EQ(Dll().RunModal(), c.result);
        EXPECT_EQ(Drain(), c.queued);
        MSG quit{};
        EXPECT_EQ(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0, c.steps[0] == kQuit);
        if (c.steps[0] == kQuit) {
            EXPECT_EQ(quit.wParam, 7u) << "the quit is posted again with its code";
        }
    }
    EXPECT_EQ(Dll().GetFlags() & 2u, 0u) << "backing out of the clear-data dialog clears the option";
}

TEST_F(WindowHost, ConfirmAnswersThroughItsButtonsAndEscape) {
    Dll().SetPage(4);
    const size_t pageControls = Buttons().size();
    for (int dialog : {1, 2, 3, 5}) {
        for (const auto& [step, answer] : std::map<int, int>{{0, 0}, {1, 1}, {kEscape, 0}}) {
            Script({step});
            EXPECT_EQ(Dll().Confirm(dialog), answer) << "dialog " << dialog << " step " << step;
            EXPECT_EQ(Buttons().size(), pageControls) << "the page's controls are back";
        }
    }
    EXPECT_EQ(Drain(), std::vector<int>{}) << "dialog answers are not queued";
}

namespace {

// A control's picture as it paints itself (WM_PRINTCLIENT), once it has stopped changing.
std::vector<uint32_t> Picture(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    std::vector<uint32_t> pixels;
    for (std::vector<uint32_t> previous;; previous = pixels) {
        PumpUntil([] { return true; });
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        const auto* p = static_cast<const uint32_t*>(bits);
        pixels.assign(p, p + r.right * r.bottom);
        if (pixels == previous) break;
        // Longer than any control animation and than Wine takes to notice that the pointer left.
        PumpUntil([] { return false; }, 500);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixels;
}

void Key(const wchar_t* key) { Tool(std::wstring(L"xdotool key ") + key); }
void PointerAt(int x, int y, const wchar_t* action = L"") {
    const POINT origin = CentreOf(Host());
    Tool(L"xdotool mousemove " + std::to_wstring(origin.x - 360 + x) + L" " + std::to_wstring(origin.y - 240 + y) +
         L" " + action);
}
int FocusedId() { return ::GetDlgCtrlID(::GetFocus()); }

}  // namespace

TEST_F(WindowHost, KeyboardMenusAndFocusRings) {
    Dll().SetPage(1);
    ClickWithPointer(Buttons()[4]);  // "Back"
    EXPECT_EQ(NextEvent(), 4);
    PointerAt(300, 120);  // off every control, keeping keys on the window
    const std::vector<uint32_t> resting = Picture(Buttons()[4]);
    Key(L"Tab shift+Tab");
    EXPECT_EQ(FocusedId(), 1004);
    EXPECT_NE(Picture(Buttons()[4]), resting) << "a focus ring after keyboard use";
    PointerAt(300, 120, L"click 1");
    EXPECT_EQ(Picture(Buttons()[4]), resting) << "no ring after a click";
    Key(L"Return");
    EXPECT_EQ(NextEvent(), 4) << "Enter presses the focused control";

    // Page 10: typing into the folder enables "StartInstall" and is the path read back.
    Dll().SetPath(L"C:\\x");
    Dll().SetPage(10);
    EXPECT_FALSE(::IsWindowEnabled(Buttons()[5]));
    const HWND edit = ::GetDlgItem(View(), 900);
    ClickWithPointer(edit);
    Key(L"End y");
    EXPECT_TRUE(::IsWindowEnabled(Buttons()[5]));
    wchar_t path[16] = {};
    EXPECT_EQ(Dll().GetPath(path, 16), 5);
    EXPECT_STREQ(path, L"C:\\xy");

    // The language menu: arrows cycle through its nine items, Enter chooses, Escape closes.
    Dll().SetPage(0);
    ClickWithPointer(Buttons()[2]);
    ASSERT_EQ(Buttons().size(), 16u);
    EXPECT_EQ(FocusedId(), 1007);
    Key(L"Down");
    EXPECT_EQ(FocusedId(), 1008);
    Key(L"Up Up");
    EXPECT_EQ(FocusedId(), 1015) << "Up on the first item goes to the last";
    Key(L"Return");
    EXPECT_EQ(NextEvent(), 408);
    EXPECT_EQ(Buttons().size(), 7u);
    ClickWithPointer(Buttons()[2]);
    Key(L"Escape");
    EXPECT_EQ(Buttons().size(), 7u);
    EXPECT_EQ(Drain(), std::vector<int>{});

    // The title menu opens from a right click in the title band only, with a log configured.
    lumtest::TempDir dir;
    Dll().ConfigureLog((dir / L"setup.log").c_str(), nullptr);
    PointerAt(300, 100, L"click 3");
    EXPECT_EQ(Buttons().size(), 7u);
    PointerAt(300, 20, L"click 3");
    ASSERT_EQ(Buttons().size(), 8u);
    EXPECT_EQ(TextOf(Buttons()[7]), L"Save log as\u2026");
    Key(L"Escape");
    EXPECT_EQ(Buttons().size(), 7u);
    PointerAt(300, 20, L"click 3");
    EXPECT_EQ(Dll().DismissMenu(), 1);
    EXPECT_EQ(Dll().DismissMenu(), 0);
    Dll().ConfigureLog(nullptr, nullptr);

    // The title band drags the window.
    const POINT before = CentreOf(Host());
    PointerAt(300, 20, L"mousedown 1 mousemove_relative 40 30 mouseup 1");
    const POINT after = CentreOf(Host());
    EXPECT_EQ(after.x - before.x, 40);
    EXPECT_EQ(after.y - before.y, 30);
    EXPECT_EQ(Drain(), std::vector<int>{});
}

TEST_F(WindowHost, AccessibleNamesAreTheVisibleLabelsInEachLanguage) {
    const IID accessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    const auto nameOf = [&](HWND button) {
        IAccessible* object = nullptr;
        std::wstring name;
        if (FAILED(::AccessibleObjectFromWindow(button, OBJID_CLIENT, accessible, reinterpret_cast<void**>(&object)))) {
            return name;
        }
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        if (SUCCEEDED(object->get_accName(self, &text)) && text) name = text;
        ::SysFreeString(text);
        object->Release();
        return name;
    };
    std::map<std::wstring, std::vector<std::wstring>> names;
    for (const wchar_t* language : {L"english", L"german"}) {
        Dll().LoadLanguage(nullptr, language);
        for (int page = 0; page <= 10; ++page) {
            Dll().SetPage(page);
            const std::vector<HWND> buttons = Buttons();
            for (size_t i = 0; i < buttons.size(); ++i) {
                const std::wstring name = nameOf(buttons[i]);
                EXPECT_FALSE(name.empty());
                EXPECT_EQ(name, TextOf(buttons[i]));
                if (i >= 2) names[language].push_back(name);  // past "Minimize" and "Close"
            }
        }
    }
    ASSERT_EQ(names[L"english"].size(), names[L"german"].size());
    for (size_t i = 0; i < names[L"english"].size(); ++i) {
        if (names[L"english"][i] != names[L"german"][i]) continue;
        ADD_FAILURE() << "the same in both languages: " << lumtest::Utf8(names[L"english"][i]);
    }
    Dll().SetPage(3);
    Dll().SetText(L"Launch", L"Open Lumora now");
    EXPECT_EQ(nameOf(Buttons()[2]), L"Open Lumora now");
}

TEST(WindowAttach, TakesOverASetupWindowAndGivesItBack) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SetupHostForTest";
    ::RegisterClassW(&wc);
    const HWND host = ::CreateWindowExW(0, L"SetupHostForTest", L"Setup", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 500,
                                        400, nullptr, nullptr, wc.hInstance, nullptr);
    const HWND child = ::CreateWindowExW(0, L"BUTTON", L"Next", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24, host, nullptr,
                                         wc.hInstance, nullptr);
    const LONG_PTR procedure = ::GetWindowLongPtrW(host, GWLP_WNDPROC);
    ASSERT_EQ(Dll().Attach(host, 120), 1);
    EXPECT_EQ(::GetWindowLongPtrW(host, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_TRUE(::GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(::IsWindowVisible(child));
    RECT client{};
    ::GetClientRect(View(host), &client);
    EXPECT_EQ(client.right, 900);  // 720 at 120 dpi
    EXPECT_EQ(client.bottom, 600);
    EXPECT_NE(::GetWindowLongPtrW(host, GWLP_WNDPROC), procedure);
    Dll().Destroy();
    EXPECT_TRUE(::IsWindow(host));
    EXPECT_EQ(View(host), nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(host, GWLP_WNDPROC), procedure);
    EXPECT_FALSE(::GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_LAYERED);
    ::DestroyWindow(host);
}

namespace {

// Copies of the fixture application in an install folder, each started in a
// role and waited for; all of them ended when the object goes.
class FixtureApps {
public:
    FixtureApps() { target_ = dir_ / L"Lumora.exe"; ::CopyFileW((lumtest::ExeDir() + L"lumfixture_app.exe").c_str(), target_.c_str(), FALSE); }
    ~FixtureApps() {
        for (HANDLE process : processes_) {
            ::TerminateProcess(process, 99);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
    }
    void Start(const wchar_t* role) {
        const std::wstring event = L"lumwindow-ready-" + std::to_wstring(processes_.size());
        HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, event.c_str());
        std::wstring line = L"\"" + target_ + L"\" " + role + L" --ready " + event;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessW(target_.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &info));
        ::CloseHandle(info.hThread);
        processes_.push_back(info.hProcess);
        EXPECT_EQ(::WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
        ::CloseHandle(ready);
    }
    const std::wstring& target() const { return target_; }

private:
    lumtest::TempDir dir_;
    std::wstring target_;
    std::vector<HANDLE> processes_;
};

// The pixels of a rectangle of the view as it paints itself, read from any thread.
std::vector<uint32_t> ViewPixels(HWND view, RECT part) {
    std::vector<uint32_t> pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 720;
    info.bmiHeader.biHeight = -480;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT, SMTO_ABORTIFHUNG, 1000,
                              &result)) {
        for (LONG y = part.top; y < part.bottom; ++y) {
            const auto* row = static_cast<const uint32_t*>(bits) + y * 720;
            pixels.insert(pixels.end(), row + part.left, row + part.right);
        }
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixels;
}

}  // namespace

TEST_F(WindowHost, WindowedCloseKeepsTheWindowAnsweringAndShowsEachPhase) {
    FixtureApps apps;
    apps.Start(L"ignore");
    lumtest::DrainDllLog();
    Dll().SetPage(4);
    const HWND view = View();
    std::atomic<bool> done{false}, stopped{false};
    int samples = 0;
    std::vector<std::vector<uint32_t>> phaseLines;
    // Samples while the closing dialog is up: the scan before it runs on this thread.
    std::thread sampler([&] {
        for (; !done; ::Sleep(100)) {  // the sampling period
            const HWND busy = ::GetDlgItem(view, 1000);
            if (!busy || ::IsWindowEnabled(busy) || ::GetDlgItem(view, 1001)) continue;
            // The dialog is painted once before the wait; from then on the window answers quickly.
            DWORD_PTR result = 0;
            EXPECT_TRUE(::SendMessageTimeoutW(view, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, samples ? 300 : 3000, &result) ||
                        done)
                << "no answer within 300 ms at sample " << samples;
            auto line = ViewPixels(view, {148, 283, 572, 307});
            if (phaseLines.empty() || line != phaseLines.back()) phaseLines.push_back(std::move(line));
            if (++samples == 3) ::PostMessageW(view, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        stopped = true;
    });
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(Dll().CloseApplication(apps.target().c_str()), 1);
    EXPECT_GE(::GetTickCount64() - start, 4000u) << "the refusing application is closed by force after 4 s";
    done = true;
    PumpUntil([&] { return stopped.load(); });
    sampler.join();
    EXPECT_GE(samples, 15);
    EXPECT_GE(phaseLines.size(), 2u) << "the phase line changes";
    EXPECT_EQ(Buttons().size(), 6u) << "the page's controls are back";
    EXPECT_TRUE(::IsWindowEnabled(Buttons()[4]));
    EXPECT_EQ(Drain(), std::vector<int>{});
    for (const std::wstring& line : lumtest::DrainDllLog()) {
        EXPECT_EQ(line.find(L"UI action="), std::wstring::npos) << "Escape is dropped: " << lumtest::Utf8(line);
    }
}

TEST_F(WindowHost, CloseFailedDialogPagesThroughSevenProcessesThreeAPage) {
    FixtureApps apps;
    for (int i = 0; i < 7; ++i) apps.Start(L"nowindow");
    ASSERT_EQ(Dll().ProcessRunning(apps.target().c_str()), 7);
    std::vector<size_t> controls;
    const auto next = [&](size_t index) {
        return [&controls, index] {
            controls.push_back(Buttons().size());
            Click(index);
        };
    };
    // Page 0: no "ProcessPrev"; page 1 both; page 2 no "ProcessNext".
    Later(next(2), 40);
    Later(next(3), 100);
    Later(next(1), 160);
    EXPECT_EQ(Dll().Confirm(5), 1);
    EXPECT_EQ(controls, (std::vector<size_t>{3, 4, 3}));
}

namespace {

// The setup program's side of the log: every line it is told about goes into its log file.
std::wstring g_setupLog;
int32_t WINAPI CollectLog() {
    std::string text = lumtest::ReadFileBytes(g_setupLog);
    for (const std::wstring& line : lumtest::DrainDllLog()) text += lumtest::Utf8(line) + "\n";
    lumtest::WriteFileBytes(g_setupLog, text);
    return 0;
}

std::vector<HWND> DialogsOfThisProcess() {
    std::vector<HWND> found;
    ::EnumWindows(
        [](HWND window, LPARAM list) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(window, &pid);
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(window) && std::wstring(name) == L"#32770") {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Answers the save dialog with `file`, confirms an overwrite, and, when
// `box` is set, waits for the message box that follows and returns its texts.
std::wstring AnswerSaveDialog(const std::wstring& file, bool box) {
    std::wstring shown;
    bool named = false;
    for (const ULONGLONG end = ::GetTickCount64() + 20000; ::GetTickCount64() < end; ::Sleep(100)) {
        const std::vector<HWND> dialogs = DialogsOfThisProcess();
        if (named && (box ? !shown.empty() : dialogs.empty())) break;
        for (HWND dialog : dialogs) {
            const HWND name = ::GetDlgItem(dialog, 1148);  // the file name box
            if (name && !named) {
                ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
                ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                named = true;
            } else if (::GetDlgItem(dialog, IDYES)) {
                ::PostMessageW(dialog, WM_COMMAND, IDYES, 0);  // replace the existing file
            } else if (!name && named) {
                for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) shown += TextOf(c);
                ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            }
        }
    }
    return shown;
}

}  // namespace

TEST_F(WindowHost, LogExportCopiesTheSetupLogThroughTheSaveDialog) {
    lumtest::TempDir dir;
    g_setupLog = dir / L"setup.log";
    lumtest::WriteFileBytes(g_setupLog, "setup started\n");
    Dll().ConfigureLog(g_setupLog.c_str(), &CollectLog);
    const auto saveLog = [] {
        RECT r{};
        ::GetWindowRect(Host(), &r);
        ::SendMessageW(View(), WM_CONTEXTMENU, 0, MAKELPARAM(r.left + 300, r.top + 20));
        ::SendMessageW(Buttons().back(), BM_CLICK, 0, 0);
    };

    std::wstring shown = L"-";
    std::thread driver([&] { shown = AnswerSaveDialog(dir / L"copy", false); });
    saveLog();
    driver.join();
    const std::string copy = lumtest::ReadFileBytes(dir / L"copy.log");
    EXPECT_NE(copy.find("Exporting log snapshot to: "), std::string::npos) << "lines up to the copy are in it";
    EXPECT_EQ(lumtest::ReadFileBytes(g_setupLog).rfind(copy, 0), 0u) << "the copy is the log file as it was";
    EXPECT_EQ(shown, L"");

    std::wstring upper = g_setupLog;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
    driver = std::thread([&] { shown = AnswerSaveDialog(upper, true); });
    saveLog();
    driver.join();
    EXPECT_NE(shown.find(L"32"), std::wstring::npos) << lumtest::Utf8(shown);
    EXPECT_NE(lumtest::ReadFileBytes(g_setupLog).find("Log export result=32 ("), std::string::npos);
    Dll().ConfigureLog(nullptr, nullptr);
}

namespace {

size_t KernelHandles() {
    size_t count = 0;
    for (uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    }
    return count;
}

size_t Windows() {
    size_t count = 0;
    const auto add = [](HWND window, LPARAM counter) {
        ++*reinterpret_cast<size_t*>(counter);
        ::EnumChildWindows(window, [](HWND, LPARAM c) { return ++*reinterpret_cast<size_t*>(c), TRUE; }, counter);
        return TRUE;
    };
    ::EnumThreadWindows(::GetCurrentThreadId(), add, reinterpret_cast<LPARAM>(&count));
    return count;
}

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](FILETIME t) { return ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0; };
    return ms(kernel) + ms(user);
}

}  // namespace

// The system's client-area animations off for a scope; the setting lives in
// the prefix, so it is put back whatever happens.
class AnimationsOff {
public:
    AnimationsOff() {
        ::SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &was_, 0);
        ::SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(FALSE), 0);
    }
    ~AnimationsOff() { ::SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(intptr_t(was_)), 0); }

private:
    BOOL was_ = TRUE;
};

TEST(WindowCycles, HundredCyclesLeaveNoHandlesAndAnIdleWindowUsesNoCpu) {
    Dll().Destroy();
    AnimationsOff fast;  // no fade-out: 120 ms a cycle saved
    Dll().Create(0, 96);  // first use loads the drawing and text libraries
    Dll().Show();
    Dll().Destroy();
    const size_t handles = KernelHandles();
    const size_t windows = Windows();
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(Dll().Create(i % 11, 96), 1);
        Dll().Show();
        PumpUntil([] { return true; });
        Dll().Destroy();
    }
    EXPECT_EQ(KernelHandles(), handles);
    EXPECT_EQ(Windows(), windows);

    Dll().Create(1, 96);
    Dll().Show();
    PumpUntil([] { return false; }, 500);  // the fade-in runs out
    const double before = ProcessCpuMs();
    PumpUntil([] { return false; }, 1000);
    EXPECT_LT(ProcessCpuMs() - before, 50.0) << "no timer, no painting while nothing moves";
    Dll().Destroy();
}

namespace {

// A PNG's pixels (BGRA) and width.
std::pair<std::vector<uint32_t>, UINT> ReadPng(const std::wstring& path) {
    std::vector<uint32_t> pixels;
    UINT width = 0, height = 0;
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                        WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&width, &height))) {
        pixels.resize(size_t(width) * height);
        converter->CopyPixels(nullptr, width * 4, UINT(pixels.size() * 4), reinterpret_cast<BYTE*>(pixels.data()));
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, factory}) {
        if (object) object->Release();
    }
    return {pixels, width};
}

int ChannelDifference(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

}  // namespace

TEST(WindowPicture, TheWindowShowsWhatTheRendererDraws) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    lumtest::TempDir dir;
    Tool(L"xdotool mousemove 2 2");  // no hover anywhere
    for (int page = 0; page <= 10; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        ASSERT_EQ(Dll().Create(page, 96), 1);
        Dll().Show();
        PumpUntil([] { return false; }, 400);  // the fade-in runs out
        RECT r{};
        ::GetWindowRect(Host(), &r);
        const std::wstring shot = L"/tmp/lumui-shot-" + std::to_wstring(::GetCurrentProcessId()) + L".png";
        const std::wstring render = dir / (L"render" + std::to_wstring(page) + L".png");
        Tool(L"import -window root -crop 720x480+" + std::to_wstring(r.left) + L"+" + std::to_wstring(r.top) + L" " +
             shot);
        ASSERT_EQ(Dll().Render(render.c_str(), page, 96), 1);
        const auto [screen, screenWidth] = ReadPng(L"Z:" + shot);
        ::DeleteFileW((L"Z:" + shot).c_str());
        const auto [drawn, drawnWidth] = ReadPng(render);
        ASSERT_EQ(screen.size(), drawn.size());
        size_t differing = 0;
        for (size_t i = 0; i < drawn.size(); ++i) {
            const int x = int(i % drawnWidth), y = int(i / drawnWidth);
            const bool corner = (x < 6 || x >= 714) && (y < 6 || y >= 474);  // outside the rounded region
            const bool edit = (page == 1 || page == 10) && x >= 84 && x < 554 && y >= 188 && y < 211;
            if (!corner && !edit && ChannelDifference(screen[i], drawn[i]) > 24) ++differing;
        }
        EXPECT_LT(differing, drawn.size() / 1000) << "pixels that differ";
        Dll().Destroy();
    }
    ::CoUninitialize();
}
