// The UI window as a setup program and a person use it: real windows under
// Xvfb, clicks through BM_CLICK and through the X server (xdotool), keys,
// modal waits, the windowed close of fixture applications, the log export
// through the real save dialog, the fade-in, cross-fades and the animation
// timer, and screenshots against LumUI_Render.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <thread>

#include "test_support.h"

using lumtest::Dll;
using Microsoft::WRL::ComPtr;

namespace {

// Pumps this thread's messages until `done` holds or `ms` pass.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000) {
    for (const ULONGLONG end = ::GetTickCount64() + ms;; ::MsgWaitForMultipleObjects(0, nullptr, 0, 10, QS_ALLINPUT)) {
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::TranslateMessage(&msg), ::DispatchMessageW(&msg);
        if (done()) return true;
        if (::GetTickCount64() >= end) return false;
    }
}

HWND Host() { return ::FindWindowW(L"Lumora.VectorInstaller.Window", nullptr); }
HWND View(HWND host = Host()) { return ::FindWindowExW(host, nullptr, L"Lumora.VectorInstaller.View", nullptr); }
HWND Transition() { return ::FindWindowExW(View(), nullptr, L"Lumora.VectorInstaller.Transition", nullptr); }
int HostAlpha() {
    BYTE alpha = 0;
    return ::GetLayeredWindowAttributes(Host(), nullptr, &alpha, nullptr) ? alpha : -1;
}
// The native controls, ids 1000, 1001, ... in list order.
std::vector<HWND> Buttons() {
    std::vector<HWND> buttons;
    for (int id = 1000; HWND button = ::GetDlgItem(View(), id); ++id) buttons.push_back(button);
    return buttons;
}
void Click(size_t index) { ::SendMessageW(Buttons().at(index), BM_CLICK, 0, 0); }
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
int NextEvent() {
    int code = 0;
    PumpUntil([&] { return (code = Dll().Poll()) != 0; }, 2000);
    return code;
}

// Starts a program and hands out its process handle (none for a Unix program).
bool Launch(std::wstring line, HANDLE* process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return false;
    if (info.hThread) ::CloseHandle(info.hThread);
    *process = info.hProcess;
    return true;
}

// Runs a Linux tool (xdotool, import), pumping messages until it is done.
// Wine does not signal the end of a Unix process: the shell leaves a mark file.
void Tool(const std::wstring& command) {
    static int count = 0;  // Wine's process ids repeat from run to run: the clock keeps marks apart
    const std::wstring mark = L"/tmp/lumui-tool-" + std::to_wstring(::GetTickCount64()) + L"-" +
                              std::to_wstring(++count);
    HANDLE shell = nullptr;
    ASSERT_TRUE(Launch(L"Z:\\bin\\sh -c \"" + command + L"; : > " + mark + L"\"", &shell));
    if (shell) ::CloseHandle(shell);
    const std::wstring dosMark = L"Z:" + mark;
    EXPECT_TRUE(PumpUntil([&] { return ::GetFileAttributesW(dosMark.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));
    ::DeleteFileW(dosMark.c_str());
}
// Pointer input at a point of the window (layout units at 96 dpi), or at the centre of a control.
void PointerAt(int x, int y, const wchar_t* action = L"") {
    RECT r{};
    ::GetWindowRect(Host(), &r);
    Tool(L"xdotool mousemove " + std::to_wstring(r.left + x) + L" " + std::to_wstring(r.top + y) + L" " + action);
}
void ClickWithPointer(HWND control) {
    RECT r{}, host{};
    ::GetWindowRect(control, &r);
    ::GetWindowRect(Host(), &host);
    PointerAt((r.left + r.right) / 2 - host.left, (r.top + r.bottom) / 2 - host.top, L"click 1");
}
void Key(const wchar_t* keys) { Tool(std::wstring(L"xdotool key ") + keys); }

// Pixels of a window as it paints itself (WM_PRINTCLIENT), from any thread.
std::vector<uint32_t> Print(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    DWORD_PTR result = 0;
    std::vector<uint32_t> pixels;
    if (::SendMessageTimeoutW(window, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT, SMTO_ABORTIFHUNG, 1000, &result)) {
        pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + r.right * r.bottom);
    }
    ::DeleteObject(::SelectObject(dc, old));
    ::DeleteDC(dc);
    return pixels;
}
// A control's picture once it has stopped changing: longer than any control
// animation and than Wine takes to notice that the pointer left.
std::vector<uint32_t> SettledPicture(HWND window) {
    std::vector<uint32_t> pixels, previous;
    do {
        previous = std::move(pixels);
        PumpUntil([] { return false; }, 500);
        pixels = Print(window);
    } while (pixels != previous);
    return pixels;
}

// Scripted input that runs inside the library's modal loops, from a timer of
// this thread: a control index to click, or a key or quit.
constexpr int kEscape = -1, kEnter = -2, kQuit = -3;
std::vector<std::function<void()>> g_steps;
void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    auto step = std::move(g_steps.front());
    g_steps.erase(g_steps.begin());
    step();
}
void Later(std::function<void()> step, UINT ms) {
    g_steps.push_back(std::move(step));
    ::SetTimer(nullptr, 0, ms, RunStep);
}
void Script(const std::vector<int>& steps) {
    UINT at = 40;
    for (int step : steps) {
        Later([step] {
            if (step >= 0) return Click(size_t(step));
            if (step == kQuit) return ::PostQuitMessage(7);
            ::PostMessageW(::GetFocus(), WM_KEYDOWN, step == kEscape ? VK_ESCAPE : VK_RETURN, 0);
        }, at += 60);
    }
}

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

}  // namespace

TEST_F(WindowHost, EveryButtonQueuesItsActionByMessageAndByPointer) {
    // What each control after "Minimize" queues; 0: handled inside (menus,
    // check boxes, links that open something), or disabled.
    const std::map<int, std::vector<int>> queued = {
        {0, {5, 0, 1, 2, 11, 12}}, {1, {5, 8, 0, 4, 3}}, {2, {5, 5}},    {3, {7, 6, 7}}, {4, {5, 0, 5, 1, 13}},
        {5, {5, 0, 5, 3}},         {6, {0, 0}},          {7, {7, 0, 7}}, {8, {5, 9, 0}}, {9, {5, 5, 9, 0}},
        {10, {5, 8, 0, 4, 0}}};
    for (const auto& [page, codes] : queued) {
        Dll().SetPage(page);
        ASSERT_EQ(Buttons().size(), codes.size() + 1) << "page " << page;
        for (size_t i = 0; i < codes.size(); ++i) {
            if (codes[i] == 0) continue;
            Click(i + 1);
            EXPECT_EQ(Drain(), std::vector<int>{codes[i]}) << "page " << page << " control " << i + 1;
            ClickWithPointer(Buttons()[i + 1]);
            EXPECT_EQ(NextEvent(), codes[i]) << "pointer, page " << page << " control " << i + 1;
        }
    }
    Dll().SetPage(6);  // nothing can be pressed while uninstalling
    EXPECT_FALSE(::IsWindowEnabled(Buttons()[1]) || ::IsWindowEnabled(Buttons()[2]));
}

TEST_F(WindowHost, ModalWaitsAndConfirmAnswerWithThePagesResults) {
    struct Case {
        int page;
        uint32_t flags;
        std::vector<int> steps;
        int result;
        std::vector<int> queued;
    };
    const Case cases[] = {
        {3, 1, {3}, 1, {}},      {7, 1, {kEscape}, 1, {}}, {7, 1, {kEnter}, 1, {}}, {9, 1, {3}, 9, {}},
        {9, 1, {kEscape}, 0, {}}, {5, 1, {4}, 1, {}},       {5, 3, {4, 1}, 3, {}},    {5, 3, {4, 0, 3}, 0, {}},
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
        EXPECT_EQ(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? int(quit.wParam) : 0,
                  c.steps[0] == kQuit ? 7 : 0) << "a quit that ends the wait is posted again";
    }
    EXPECT_EQ(Dll().GetFlags() & 2u, 0u) << "backing out of the clear-data dialog clears the option";

    ASSERT_EQ(Dll().Create(4, 96), 1);
    for (int dialog : {1, 2, 3, 5}) {
        for (const auto& [step, answer] : std::map<int, int>{{0, 0}, {1, 1}, {kEscape, 0}}) {
            Script({step});
            EXPECT_EQ(Dll().Confirm(dialog), answer) << "dialog " << dialog << " step " << step;
            EXPECT_EQ(Buttons().size(), 6u) << "the page's controls are back";
        }
    }
    EXPECT_EQ(Drain(), std::vector<int>{}) << "dialog answers are not queued";
}

TEST_F(WindowHost, KeyboardMenusAndFocusRings) {
    Dll().SetPage(1);
    ClickWithPointer(Buttons()[4]);  // "Back"
    EXPECT_EQ(NextEvent(), 4);
    PointerAt(300, 120);  // off every control, keeping keys on the window
    const std::vector<uint32_t> resting = SettledPicture(Buttons()[4]);
    Key(L"Tab shift+Tab");
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), 1004);
    EXPECT_NE(SettledPicture(Buttons()[4]), resting) << "a focus ring after keyboard use";
    PointerAt(300, 120, L"click 1");
    EXPECT_EQ(SettledPicture(Buttons()[4]), resting) << "no ring after a click";
    Key(L"Return");
    EXPECT_EQ(NextEvent(), 4) << "Enter presses the focused control";

    // Page 10: typing into the folder enables "StartInstall" and is the path read back.
    Dll().SetPath(L"C:\\x");
    Dll().SetPage(10);
    EXPECT_FALSE(::IsWindowEnabled(Buttons()[5]));
    ClickWithPointer(::GetDlgItem(View(), 900));
    Key(L"End y");
    EXPECT_TRUE(::IsWindowEnabled(Buttons()[5]));
    wchar_t path[16] = {};
    EXPECT_EQ(Dll().GetPath(path, 16), 5);
    EXPECT_STREQ(path, L"C:\\xy");

    // The language menu: arrows cycle through its nine items, Enter chooses, Escape closes.
    Dll().SetPage(0);
    ClickWithPointer(Buttons()[2]);
    ASSERT_EQ(Buttons().size(), 16u);
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), 1007);
    Key(L"Down");
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), 1008);
    Key(L"Up Up");
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), 1015) << "Up on the first item goes to the last";
    Key(L"Return");
    EXPECT_EQ(NextEvent(), 408);
    EXPECT_EQ(Buttons().size(), 7u);
    ClickWithPointer(Buttons()[2]);
    Key(L"Escape");
    EXPECT_EQ(Buttons().size(), 7u);

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
    RECT before{}, after{};
    ::GetWindowRect(Host(), &before);
    PointerAt(300, 20, L"mousedown 1 mousemove_relative 40 30 mouseup 1");
    ::GetWindowRect(Host(), &after);
    EXPECT_EQ(std::make_pair(after.left - before.left, after.top - before.top), std::make_pair(40L, 30L));
    EXPECT_EQ(Drain(), std::vector<int>{});
}

TEST(WindowAttach, TakesOverASetupWindowAndGivesItBack) {
    const HWND host = ::CreateWindowExW(0, L"#32770", L"Setup", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 500, 400,
                                        nullptr, nullptr, nullptr, nullptr);
    const HWND child = ::CreateWindowExW(0, L"BUTTON", L"Next", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24, host, nullptr,
                                         nullptr, nullptr);
    const LONG_PTR procedure = ::GetWindowLongPtrW(host, GWLP_WNDPROC);
    ASSERT_EQ(Dll().Attach(host, 120), 1);
    EXPECT_EQ(::GetWindowLongPtrW(host, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_TRUE(::GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(::IsWindowVisible(child));
    RECT client{};
    ::GetClientRect(View(host), &client);
    EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(900L, 600L)) << "720 x 480 at 120 dpi";
    EXPECT_NE(::GetWindowLongPtrW(host, GWLP_WNDPROC), procedure);
    Dll().Destroy();
    EXPECT_TRUE(::IsWindow(host));
    EXPECT_EQ(View(host), nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(host, GWLP_WNDPROC), procedure);
    EXPECT_FALSE(::GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_LAYERED);
    ::DestroyWindow(host);
}

TEST_F(WindowHost, TheWindowFadesInAndAChangeBlendsTheOldPictureIntoTheNew) {
    std::vector<int> alphas{HostAlpha()};  // the host's layered alpha, each new value
    PumpUntil([&] {
        if (HostAlpha() != alphas.back()) alphas.push_back(HostAlpha());
        return alphas.back() == 255;
    });
    EXPECT_TRUE(alphas.size() > 2 && alphas[0] == 0 && std::is_sorted(alphas.begin(), alphas.end())) << alphas.size();

    lumtest::TempDir dir;
    const std::vector<uint32_t> english = lumtest::RenderScreen(dir, 0).pixels;
    Dll().LoadLanguage(nullptr, L"german");  // every text changes, without a page change
    ASSERT_TRUE(Transition());
    PumpUntil([] { return !::IsWindowVisible(Transition()); });
    const std::vector<uint32_t> german = lumtest::RenderScreen(dir, 0).pixels;
    // How far a picture is from the English page to the German one, where their green differs widely: one share
    // for the whole picture.
    const auto shareOf = [&](const std::vector<uint32_t>& picture) {
        const auto green = [](uint32_t pixel) { return int(pixel >> 8 & 0xFF); };
        std::vector<double> share;
        for (size_t i = 0; i < picture.size() && picture.size() == german.size(); ++i) {
            const int from = green(english[i]), to = green(german[i]);
            if (std::abs(to - from) > 120) share.push_back(double(green(picture[i]) - from) / (to - from));
        }
        if (share.size() < 500) return ADD_FAILURE() << "no picture", -1.0;
        std::nth_element(share.begin(), share.begin() + share.size() / 2, share.end());
        const double median = share[share.size() / 2];
        const auto close = [&](double x) { return std::abs(x - median) < 0.06; };
        EXPECT_GT(std::count_if(share.begin(), share.end(), close), 0.95 * share.size()) << "one blend over the picture";
        return median;
    };
    Dll().LoadLanguage(nullptr, L"english");
    std::vector<double> shares;  // the transition window's picture for 60 ms, with no message handled
    for (const ULONGLONG end = ::GetTickCount64() + 60; ::GetTickCount64() < end;) {
        shares.push_back(shareOf(Print(Transition())));
    }
    const auto halfway = [](double x) { return x > 0.1 && x < 0.9; };
    EXPECT_TRUE(std::is_sorted(shares.rbegin(), shares.rend()) && std::any_of(shares.begin(), shares.end(), halfway));
    Dll().LoadLanguage(nullptr, L"german");
    EXPECT_TRUE(halfway(shareOf(Print(Transition())))) << "a change mid-fade starts from the blend on screen";
    PumpUntil([] { return !::IsWindowVisible(Transition()); });
    EXPECT_GT(shareOf(Print(Transition())), 0.97) << "and ends on the new picture";
    ::ShowWindow(Host(), SW_MINIMIZE);
    Dll().LoadLanguage(nullptr, L"english");
    EXPECT_FALSE(::IsWindowVisible(Transition())) << "a minimised window changes at once";
}

namespace {

// Copies of the fixture application in an install folder, each started in a
// role and waited for; all of them ended when the object goes.
class FixtureApps {
public:
    FixtureApps() { ::CopyFileW((lumtest::ExeDir() + L"lumfixture_app.exe").c_str(), target().c_str(), FALSE); }
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
        HANDLE process = nullptr;
        ASSERT_TRUE(Launch(L"\"" + target() + L"\" " + role + L" --ready " + event, &process));
        processes_.push_back(process);
        EXPECT_EQ(::WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
        ::CloseHandle(ready);
    }
    std::wstring target() const { return dir_ / L"Lumora.exe"; }

private:
    lumtest::TempDir dir_;
    std::vector<HANDLE> processes_;
};

}  // namespace

TEST_F(WindowHost, WindowedCloseKeepsTheWindowAnsweringAndShowsEachPhase) {
    FixtureApps apps;
    apps.Start(L"ignore");
    lumtest::TakeDllLog();
    Dll().SetPage(4);
    const HWND view = View();
    std::atomic<bool> done{false}, stopped{false};
    int samples = 0, late = 0;
    std::vector<std::vector<uint32_t>> phaseLines;
    std::thread sampler([&] {  // samples while the closing dialog is up, every 100 ms
        for (; !done; ::Sleep(100)) {
            const HWND busy = ::GetDlgItem(view, 1000);
            if (!busy || ::IsWindowEnabled(busy) || ::GetDlgItem(view, 1001)) continue;
            // The dialog is painted once before the wait; from then on the window answers quickly. A
            // loaded machine may miss a sample now and then, but the window never stops answering.
            DWORD_PTR result = 0;
            const ULONGLONG asked = ::GetTickCount64();
            EXPECT_TRUE(::SendMessageTimeoutW(view, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &result) || done)
                << "no answer at sample " << samples;
            if (samples > 0 && ::GetTickCount64() - asked > 300) ++late;
            std::vector<uint32_t> frame = Print(view), line;
            for (int y = 283; y < 307 && !frame.empty(); ++y) line.insert(line.end(), &frame[y * 720 + 148], &frame[y * 720 + 572]);
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
    EXPECT_LE(late * 5, samples) << late << " of " << samples << " answers took over 300 ms";
    EXPECT_GE(phaseLines.size(), 2u) << "the phase line changes";
    EXPECT_EQ(Buttons().size(), 6u) << "the page's controls are back";
    EXPECT_TRUE(::IsWindowEnabled(Buttons()[4]));
    EXPECT_EQ(Drain(), std::vector<int>{});
    for (const std::wstring& line : lumtest::TakeDllLog()) {
        EXPECT_EQ(line.find(L"UI action="), std::wstring::npos) << "Escape is dropped: " << lumtest::Utf8(line);
    }

    FixtureApps seven;
    for (int i = 0; i < 7; ++i) seven.Start(L"nowindow");
    ASSERT_EQ(Dll().ProcessRunning(seven.target().c_str()), 7);
    std::vector<size_t> controls;  // page 0: no "ProcessPrev"; page 1 both; page 2 no "ProcessNext"
    UINT at = 0;
    for (size_t index : {2, 3, 1}) Later([&controls, index] { controls.push_back(Buttons().size()), Click(index); }, at += 60);
    EXPECT_EQ(Dll().Confirm(5), 1);
    EXPECT_EQ(controls, (std::vector<size_t>{3, 4, 3}));
}

namespace {

// The setup program's side of the log: every line it is told about goes into its log file.
std::wstring g_setupLog;
int32_t WINAPI CollectLog() {
    std::string text = lumtest::ReadFileBytes(g_setupLog);
    for (const std::wstring& line : lumtest::TakeDllLog()) text += lumtest::Utf8(line) + "\n";
    lumtest::WriteFileBytes(g_setupLog, text);
    return 0;
}

// Answers the save dialog with `file`, confirms an overwrite, and, when
// `box` is set, waits for the message box that follows and returns its texts.
std::wstring AnswerSaveDialog(const std::wstring& file, bool box) {
    std::wstring shown;
    bool named = false;
    for (const ULONGLONG end = ::GetTickCount64() + 20000; ::GetTickCount64() < end; ::Sleep(100)) {
        const HWND dialog = ::FindWindowW(L"#32770", L"Save log as\u2026");  // the dialog, a prompt or the message
        if (named && (box ? !shown.empty() : !dialog)) break;
        if (!dialog) continue;
        const HWND name = ::GetDlgItem(dialog, 1148);  // the file name box
        if (name && !named) {
            ::SendMessageW(name, WM_SETTEXT, 0, LPARAM(file.c_str()));
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            named = true;
        } else if (::GetDlgItem(dialog, IDYES)) {
            ::PostMessageW(dialog, WM_COMMAND, IDYES, 0);  // replace the existing file
        } else if (!name && named) {
            for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) shown += TextOf(c);
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
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
    const auto saveLogAs = [](const std::wstring& file, bool box) {
        RECT r{};
        ::GetWindowRect(Host(), &r);
        ::SendMessageW(View(), WM_CONTEXTMENU, 0, MAKELPARAM(r.left + 300, r.top + 20));
        std::wstring shown;
        std::thread driver([&] { shown = AnswerSaveDialog(file, box); });
        Click(Buttons().size() - 1);  // "SaveLog": waits for the dialog
        driver.join();
        return shown;
    };
    EXPECT_EQ(saveLogAs(dir / L"copy", false), L"");
    const std::string copy = lumtest::ReadFileBytes(dir / L"copy.log");
    EXPECT_NE(copy.find("Exporting log snapshot to: "), std::string::npos) << "lines up to the copy are in it";
    EXPECT_EQ(lumtest::ReadFileBytes(g_setupLog).rfind(copy, 0), 0u) << "the copy is the log file as it was";

    std::wstring upper = g_setupLog;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
    EXPECT_NE(saveLogAs(upper, true).find(L"32"), std::wstring::npos) << "the log file itself is refused";
    EXPECT_NE(lumtest::ReadFileBytes(g_setupLog).find("Log export result=32 ("), std::string::npos);
    Dll().ConfigureLog(nullptr, nullptr);
}

// Last of the window tests: once a process is its own accessibility client,
// Wine's window creation in it can stall for seconds.
TEST_F(WindowHost, AccessibleNamesAreTheVisibleLabelsInEachLanguage) {
    const auto nameOf = [](HWND button) {
        const IID accessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
        ComPtr<IAccessible> object;
        BSTR text = nullptr;
        VARIANT self{};
        self.vt = VT_I4;  // CHILDID_SELF
        if (SUCCEEDED(::AccessibleObjectFromWindow(button, OBJID_CLIENT, accessible, &object))) {
            object->get_accName(self, &text);
        }
        const std::wstring name = text ? text : L"";
        ::SysFreeString(text);
        return name;
    };
    std::map<std::wstring, std::vector<std::wstring>> names;
    for (const wchar_t* language : {L"english", L"german"}) {
        Dll().LoadLanguage(nullptr, language);
        for (int page = 0; page <= 10; ++page) {
            Dll().SetPage(page);
            const std::vector<HWND> buttons = Buttons();
            for (size_t i = 0; i < buttons.size(); ++i) {
                EXPECT_EQ(nameOf(buttons[i]), TextOf(buttons[i]));
                if (i >= 2) names[language].push_back(nameOf(buttons[i]));  // past "Minimize" and "Close"
            }
        }
    }
    ASSERT_EQ(names[L"english"].size(), names[L"german"].size());
    for (size_t i = 0; i < names[L"english"].size(); ++i) {
        EXPECT_FALSE(names[L"english"][i].empty());
        EXPECT_NE(names[L"english"][i], names[L"german"][i]) << "a label that does not follow the language";
    }
    Dll().SetPage(3);
    Dll().SetText(L"Launch", L"Open Lumora now");
    EXPECT_EQ(nameOf(Buttons()[2]), L"Open Lumora now");
}

namespace {

size_t KernelHandles() {
    size_t count = 0;
    DWORD flags = 0;
    for (uintptr_t value = 4; value < 0x10000; value += 4) count += ::GetHandleInformation(HANDLE(value), &flags);
    return count;
}
// Live GDI objects, read from the handle table that the process environment block points to (GetGuiResources reads
// 0 under Wine): entries with a type, owned by this process or, as Wine leaves them, by nobody.
size_t GdiObjects() {
    struct Entry { UINT64 object; USHORT owner, count, unique; UCHAR type, flags; UINT64 user; };
    const auto peb = reinterpret_cast<const BYTE* (WINAPI*)()>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")))();
    const Entry* table = *reinterpret_cast<const Entry* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
    size_t count = 0;
    for (size_t i = 0; table && i < 0x10000; ++i) {
        count += table[i].type && (table[i].owner == 0 || table[i].owner == USHORT(::GetCurrentProcessId()));
    }
    return count;
}
size_t WindowCount() {
    size_t count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM c) {
        ++*reinterpret_cast<size_t*>(c);
        return ::EnumChildWindows(window, [](HWND, LPARAM c) { return ++*reinterpret_cast<size_t*>(c), TRUE; }, c), TRUE;
    }, LPARAM(&count));
    return count;
}
// The animation timer's messages this thread takes from its queue while it pumps for `ms`.
int g_ticks = 0;
int AnimationTicks(DWORD ms) {
    g_ticks = 0;
    const HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, [](int code, WPARAM removed, LPARAM msg) {
        const MSG& m = *reinterpret_cast<const MSG*>(msg);
        g_ticks += removed == PM_REMOVE && m.message == WM_TIMER && m.wParam == 20553;
        return ::CallNextHookEx(nullptr, code, removed, msg);
    }, nullptr, ::GetCurrentThreadId());
    PumpUntil([] { return false; }, ms);
    ::UnhookWindowsHookEx(hook);
    return g_ticks;
}
double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](FILETIME t) { return ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0; };
    return ms(kernel) + ms(user);
}

}  // namespace

TEST(WindowCycles, HundredCyclesLeaveNoHandlesAndAnIdleWindowUsesNoCpu) {
    // No fade-out saves 120 ms a cycle. The setting lives in the prefix: it is put back.
    BOOL animations = TRUE;
    ::SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animations, 0);
    ::SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, nullptr, 0);
    Dll().Create(0, 96);  // first use loads the drawing and text libraries
    Dll().Show();
    EXPECT_EQ(HostAlpha(), 255) << "no fade-in with animations off";
    Dll().SetPage(2);
    Dll().SetProgress(1, 2, nullptr);
    EXPECT_FALSE(Transition() && ::IsWindowVisible(Transition())) << "changes show at once";
    EXPECT_EQ(AnimationTicks(300), 0) << "and no timer runs";
    Dll().Destroy();
    const size_t handles = KernelHandles(), windows = WindowCount(), gdiObjects = GdiObjects();
    ASSERT_GT(gdiObjects, 0u) << "the handle table is readable";
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(Dll().Create(i % 11, 96), 1);
        Dll().Show();
        Dll().Destroy();
    }
    ::SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(intptr_t(animations)), 0);
    EXPECT_EQ(KernelHandles(), handles);
    EXPECT_EQ(WindowCount(), windows);
    EXPECT_EQ(GdiObjects(), gdiObjects);

    Dll().Create(1, 96);
    Dll().Show();
    Dll().SetPage(2);  // a fade-in, a cross-fade, then the bar glides
    PumpUntil([] { return false; }, 400);
    Dll().SetProgress(1, 3, L"C:\\Program Files\\Lumora\\bin\\capture-engine.dll");  // all three parts change
    RECT band{}, all{};
    ::GetUpdateRect(View(), &band, FALSE);
    ::GetClientRect(View(), &all);
    EXPECT_TRUE(band.top > all.bottom / 2 && band.bottom < all.bottom) << "a progress step repaints its band alone";
    const std::vector<HWND> buttons = Buttons();
    EXPECT_TRUE(std::none_of(buttons.begin(), buttons.end(), [](HWND b) { return ::GetUpdateRect(b, nullptr, FALSE); }));
    PumpUntil([] { return false; }, 300);
    Dll().SetProgress(2, 3, L"Copying files");  // the bar glides on, a shorter line replaces the long one
    PumpUntil([] { return false; }, 300);
    // The glides, painted in the columns they change, end on the picture the renderer draws.
    lumtest::TempDir dir;
    const std::vector<uint32_t> shown = Print(View()), drawn = lumtest::RenderScreen(dir, 2).pixels;
    ASSERT_EQ(shown.size(), drawn.size());
    size_t differing = 0;
    for (size_t i = 0; i < drawn.size(); ++i) differing += (shown[i] & 0xFFFFFFu) != (drawn[i] & 0xFFFFFFu);
    EXPECT_EQ(differing, 0u);
    const double before = ProcessCpuMs();
    EXPECT_EQ(AnimationTicks(1000), 0) << "the timer stops once nothing moves";
    EXPECT_LT(ProcessCpuMs() - before, 50.0) << "no timer, no painting while nothing moves";
    Dll().Destroy();
    EXPECT_EQ(GdiObjects(), gdiObjects) << "the cross-fade's frames go with the window";
}

TEST(WindowPicture, EachPageCrossFadesToWhatTheRendererDraws) {
    Dll().SetProgress(0, 0, nullptr);  // the bar at rest where the renderer draws it
    lumtest::TempDir dir;
    const std::wstring shot = L"/tmp/lumui-shot-" + std::to_wstring(::GetTickCount64()) + L".png";
    Tool(L"xdotool mousemove 2 2");  // no hover anywhere
    ASSERT_EQ(Dll().Create(10, 96), 1);
    for (int page = 0; page <= 10; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        Dll().SetPage(page);
        PumpUntil([] { return false; }, 400);  // the fade-in or the cross-fade runs out
        RECT r{};
        ::GetWindowRect(Host(), &r);
        Tool(L"import -window root -crop 720x480+" + std::to_wstring(r.left) + L"+" + std::to_wstring(r.top) + L" " + shot);
        const std::vector<uint32_t> screen = lumtest::LoadPng(L"Z:" + shot).pixels, drawn = lumtest::RenderScreen(dir, page).pixels;
        ASSERT_EQ(screen.size(), drawn.size());
        size_t differing = 0;
        for (size_t i = 0; i < drawn.size(); ++i) {
            const int x = int(i % 720), y = int(i / 720);
            const bool corner = (x < 6 || x >= 714) && (y < 6 || y >= 474);  // outside the rounded region
            const bool edit = (page == 1 || page == 10) && x >= 84 && x < 554 && y >= 188 && y < 211;  // native
            differing += !corner && !edit && screen[i] != drawn[i];
        }
        // The controls' own windows show the view's picture at rest, so the window is the render pixel for pixel.
        EXPECT_EQ(differing, 0u) << "pixels that differ";
    }
    Dll().Destroy();
    ::DeleteFileW((L"Z:" + shot).c_str());
}
