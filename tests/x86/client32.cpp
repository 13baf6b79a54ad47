// A 32-bit setup program in miniature: loads the shipped LumoraUI.dll, calls
// every export that works without a window of its own, and prints one line
// per check and "N passed, N failed". Every export call goes through a thunk
// that checks the stdcall contract: the callee pops exactly its argument
// bytes and keeps EBX, ESI, EDI and EBP.
//   lumclient32.exe <path of LumoraUI.dll>
// The program also serves as its own child: "--sleep" (a running
// application) and "--echo <file>" (a relaunched setup).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "exports/LumoraUI.h"

// fn(args[0], …, args[count-1]) as stdcall; state[0] = ESP after the call
// minus ESP before it, state[1] = clobbered registers (1 EBX, 2 ESI, 4 EDI).
extern "C" uint32_t lum_call_checked(FARPROC fn, const uint32_t* args, uint32_t count, uint32_t* state);
asm(R"(.intel_syntax noprefix
.globl _lum_call_checked
_lum_call_checked:
    push ebp; push ebx; push esi; push edi; mov ebp, esp
    mov ecx, [ebp+28]; mov edx, [ebp+24]
1:  test ecx, ecx; jz 2f; push dword ptr [edx+ecx*4-4]; dec ecx; jmp 1b
2:  mov ebx, 0x0B0B0B0B; mov esi, 0x05050505; mov edi, 0x0D0D0D0D
    call dword ptr [ebp+20]
    mov ecx, esp; sub ecx, ebp; mov esp, ebp; mov edx, [ebp+32]; mov [edx], ecx
    xor ecx, ecx; cmp ebx, 0x0B0B0B0B; setne cl; cmp esi, 0x05050505; setne ch; shl ch, 1; or cl, ch
    cmp edi, 0x0D0D0D0D; setne ch; shl ch, 2; or cl, ch; movzx ecx, cl; mov [edx+4], ecx
    pop edi; pop esi; pop ebx; pop ebp; ret
.att_syntax)");

namespace {

#define LUM_EXPORTS(X) X(Create) X(Attach) X(Destroy) X(Show) X(SetPage) X(RunModal) X(Poll) X(GetFlags) \
    X(SetFlags) X(SetText) X(SetPath) X(GetPath) X(SetProgress) X(Confirm) X(BeginClose) X(DismissMenu) \
    X(LoadLanguage) X(GetLink) X(Render) X(ProcessRunning) X(CloseApplication) X(GetProcessReport) \
    X(ConfigureLog) X(ReadLog) X(RunLogged) X(ValidatePath)

// Argument bytes of a header prototype: what the decorated name must carry.
template <typename R, typename... A>
constexpr int ArgBytes(R(__stdcall*)(A...)) { return (0 + ... + int((sizeof(A) + 3) & ~3u)); }

struct Export { const char* name; int bytes; FARPROC fn; };
#define LUM_ENTRY(n) {#n, ArgBytes(decltype(&LumUI_##n){}), nullptr},
#define LUM_INDEX(n) k##n,
Export g_exports[] = {LUM_EXPORTS(LUM_ENTRY)};
enum { LUM_EXPORTS(LUM_INDEX) };

HMODULE g_dll = nullptr;
int g_passed = 0, g_failed = 0, g_calls = 0, g_callbacks = 0, g_foreignCallers = 0;
std::string g_stackErrors;
std::wstring g_collected;  // the log lines the callback took, each ended by '\n'

std::string Utf8(const std::wstring& w) {
    std::string s(w.size() * 3 + 1, '\0');
    s.resize(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), s.data(), int(s.size()), nullptr, nullptr));
    return s;
}

void Check(bool ok, const std::string& what, const std::wstring& got = {}) {
    ++(ok ? g_passed : g_failed);
    std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), ok || got.empty() ? "" : " | got: ",
                ok ? "" : Utf8(got).c_str());
}

int Finish() { return std::printf("%d passed, %d failed\n", g_passed, g_failed), g_failed ? 1 : 0; }

template <typename... A> uint32_t Call(int index, A... args) {
    const Export& e = g_exports[index];
    const uint32_t values[] = {(uint32_t)(args)..., 0};  // pointers and integers alike
    uint32_t state[2] = {};
    const uint32_t result = lum_call_checked(e.fn, values, sizeof...(A), state);
    ++g_calls;
    if (int(sizeof...(A)) * 4 != e.bytes || state[0] || state[1])
        g_stackErrors += std::string(" LumUI_") + e.name + ": esp " + std::to_string(int32_t(state[0])) +
                         " regs " + std::to_string(state[1]);
    return result;
}
#define LUM(name, ...) Call(k##name __VA_OPT__(, ) __VA_ARGS__)
#define LUM_INT(name, ...) int32_t(LUM(name, __VA_ARGS__))

std::wstring Report() {
    wchar_t buf[2048] = L"?";
    LUM(GetProcessReport, buf, 2048);
    return buf;
}

// The host callback of a setup program: collects the queued lines at once.
int32_t __stdcall OnLog() {
    ++g_callbacks;
    HMODULE caller = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(__builtin_return_address(0)), &caller);
    g_foreignCallers += caller != g_dll;
    for (int32_t n; (n = LUM_INT(ReadLog, nullptr, 0)) > 0;) {
        std::wstring line(n + 1, L'\0');
        if (LUM_INT(ReadLog, line.data(), n + 1) != n) break;
        g_collected += line.c_str() + std::wstring(L"\n");
    }
    return int32_t(0x89ABCDEF);
}

bool WriteBytes(const std::wstring& path, const void* data, size_t size) {
    std::ofstream f(std::filesystem::path(path), std::ios::binary);
    return bool(f.write(static_cast<const char*>(data), std::streamsize(size)).flush());
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream f(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e) {
    wchar_t what[64];
    swprintf(what, 64, L"%08lx at %p", e->ExceptionRecord->ExceptionCode, e->ExceptionRecord->ExceptionAddress);
    Check(false, "no unhandled exception", what);
    TerminateProcess(GetCurrentProcess(), Finish() + 2);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && !wcscmp(argv[1], L"--sleep")) return Sleep(60000), 0;  // the running application
    if (argc >= 3 && !wcscmp(argv[1], L"--echo"))                           // the relaunched setup
        return WriteBytes(argv[2], GetCommandLineW(), wcslen(GetCommandLineW()) * 2) ? 42 : 1;
    setvbuf(stdout, nullptr, _IONBF, 0);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(OnCrash);
    if (argc < 2) return std::printf("usage: lumclient32 <LumoraUI.dll>\n"), 2;

    // Loading, and every export under its plain and its decorated name.
    g_dll = LoadLibraryW(argv[1]);
    Check(g_dll != nullptr, "LoadLibrary of the DLL", argv[1]);
    if (!g_dll) return Finish();
    for (Export& e : g_exports) {
        const std::string plain = std::string("LumUI_") + e.name, decorated = "_" + plain + "@" + std::to_string(e.bytes);
        e.fn = GetProcAddress(g_dll, plain.c_str());
        Check(e.fn && GetProcAddress(g_dll, decorated.c_str()) == e.fn, plain + " == " + decorated);
        if (!e.fn) return Finish();
    }

    // Start values, set by the static initialisation of the 32-bit runtime.
    wchar_t buf[1024];
    Check(LUM(GetFlags) == 1 && LUM(Poll) == 0 && LUM(ReadLog, nullptr, 0) == 0, "start: flags 1, no event, no log line");
    Check(LUM(GetPath, buf, 1024) == 23 && !wcscmp(buf, L"C:\\Program Files\\Lumora"), "start: install path", buf);

    // Setters and getters with their buffer rules; the window exports answer 0 while detached.
    LUM(SetFlags, 0xF000000Au);
    Check(LUM(GetFlags) == 0xF000000Au, "SetFlags keeps all 32 bits");
    const std::wstring longPath = L"D:\\" + std::wstring(300, L'p');
    LUM(SetPath, longPath.c_str());
    Check(LUM(GetPath, buf, 1024) == 303 && buf == longPath, "GetPath returns a 303-character path");
    buf[0] = L'#';
    Check(LUM(GetPath, buf, 4) == 3 && !wcscmp(buf, L"D:\\") && LUM(GetPath, nullptr, 8) == 0 && LUM(GetPath, buf, 0) == 0,
          "GetPath truncates to size - 1 and answers 0 without a buffer", buf);
    LUM(SetPath, nullptr);
    Check(LUM(GetPath, buf, 1024) == 0 && buf[0] == 0, "SetPath(null) empties the path");
    LUM(SetPage, 42), LUM(SetProgress, 150, 100, nullptr), LUM(SetText, L"Error", nullptr), LUM(SetText, nullptr, L"x");
    LUM(Show), LUM(BeginClose), LUM(Destroy);
    Check(LUM(Attach, nullptr, 96) == 0 && LUM(Attach, HWND(0x7FFE0), 96) == 0 && LUM(RunModal) == 0 &&
          LUM(Confirm, 1) == 0 && LUM(DismissMenu) == 0 && LUM(Poll) == 0,
          "without a window: Attach, RunModal, Confirm, DismissMenu and Poll answer 0");

    // The log: ReadLog's protocol, then a callback that collects the lines.
    Check(LUM(ConfigureLog, L"C:\\setup\\install.log", nullptr) == 0, "ConfigureLog without a callback returns 0");
    const int32_t n = LUM_INT(ReadLog, nullptr, 0);
    Check(n > 22 && LUM_INT(ReadLog, nullptr, 0) == n && LUM_INT(ReadLog, buf, 0) == n && LUM_INT(ReadLog, buf, -5) == n,
          "ReadLog without room reports the length and keeps the line");
    Check(LUM_INT(ReadLog, buf, n) == -1 && LUM_INT(ReadLog, buf, n + 1) == n && int32_t(wcslen(buf)) == n,
          "ReadLog: -1 for size == length, the line for length + 1");
    std::wstring last = buf;
    while (LUM_INT(ReadLog, buf, 1024) > 0) last = buf;
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    unsigned hh = 99, mm = 99, ss = 99, ms = 9999;
    Check(swscanf(last.c_str(), L"[native %2u:%2u:%2u.%3u] ", &hh, &mm, &ss, &ms) == 4 && hh < 24 && ms < 1000 &&
              last.substr(22) == L"Native UI initialized; PID=" + std::to_wstring(GetCurrentProcessId()) +
                                     L" session=" + std::to_wstring(session) + L" log=C:\\setup\\install.log",
          "the start line comes last", last);
    Check(LUM(ConfigureLog, nullptr, &OnLog) == 0x89ABCDEF && g_callbacks == 1, "ConfigureLog returns the callback's result");
    Check(g_collected.find(L"] Native UI initialized;") != std::wstring::npos && g_collected.ends_with(L" log=\n") &&
          LUM(ReadLog, nullptr, 0) == 0, "the callback collected the start line (null path: ends in log=)", g_collected);

    // Languages and overrides, seen through the process report's "ProcessNone" text.
    Check(LUM(ProcessRunning, L"C:\\lumora-missing\\Lumora.exe") == 0 && Report() == L"ProcessNone",
          "before any language: a text is its key", Report());
    LUM(LoadLanguage, nullptr, nullptr);
    const std::wstring english = Report();
    Check(english == L"No related processes found. Check again to continue.", "LoadLanguage(null, null) is English", english);
    LUM(LoadLanguage, nullptr, L"german");
    const std::wstring german = Report();
    Check(german != english && german != L"ProcessNone" && german.size() > 10, "LoadLanguage german", german);
    LUM(SetText, L"ProcessNone", L"Eigener Text");
    Check(Report() == L"Eigener Text", "SetText overrides a key", Report());
    const std::wstring dir = std::filesystem::temp_directory_path() / ("lumclient32-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(dir + L"\\app");
    const wchar_t ini[] = L"\xFEFF[german]\r\nProcessNone = Aus der Datei \r\nNoSuchKey=x\r\n";
    WriteBytes(dir + L"\\override.ini", ini, sizeof ini - 2);
    LUM(LoadLanguage, (dir + L"\\override.ini").c_str(), L"german");
    Check(Report() == L"Aus der Datei", "an override file replaces SetText and the table text", Report());
    LUM(LoadLanguage, nullptr, L"English");
    Check(Report() == english, "an unknown language id falls back to English", Report());

    // Buffer rules of the process report and the links.
    const int32_t length = LUM_INT(GetProcessReport, nullptr, 0);
    buf[0] = L'#';
    Check(length == int32_t(english.size()) && LUM_INT(GetProcessReport, buf, -1) == length &&
              LUM(GetProcessReport, buf, 1) == 0 && buf[0] == 0 && LUM(GetProcessReport, buf, 5) == 4 &&
              english.compare(0, 4, buf) == 0,
          "GetProcessReport: full length without a buffer, size - 1 with one");
    const std::wstring terms(buf, LUM(GetLink, 1, buf, 1024));
    Check(terms.starts_with(L"https://") && terms == buf && LUM(GetLink, 1, buf, 10) == 9 && terms.starts_with(buf),
          "GetLink: the whole terms link, and its first 9 characters in a buffer of 10", terms);
    Check(LUM(GetLink, 3, buf, 1024) == 0 && buf[0] == 0 && LUM(GetLink, 0, nullptr, 64) == 0,
          "GetLink: no link for kind 3, 0 without a buffer");

    // Install-path validation on real folders.
    WriteBytes(dir + L"\\file.txt", "x", 1);
    const struct { std::wstring path; int32_t mib; uint32_t want; } paths[] = {
        {dir, 1, 0}, {dir + L"/new/deeper/", 1, 0}, {dir, 0x7FFFFFFF, 3}, {dir, -1, 3}, {dir + L"\\file.txt", 0, 1},
        {L"C:", 0, 1}, {L"C:\\", 0, 1}, {L"relative\\dir", 0, 1}, {L"\\\\server\\share\\x", 0, 1}, {L"Q:\\nowhere\\x", 0, 1}};
    for (const auto& p : paths)
        Check(LUM(ValidatePath, p.path.c_str(), p.mib) == p.want, "ValidatePath " + Utf8(p.path) + " " + std::to_string(p.mib) + " MiB");
    Check(LUM(ValidatePath, nullptr, 0) == 1, "ValidatePath(null) is 1");
    Check(std::none_of(std::filesystem::directory_iterator(dir), {}, [](const auto& entry) {
              return entry.path().filename().wstring().starts_with(L"ppu"); }), "the write probe leaves no file behind");

    // A running application: found by its path, reported, closed without a window.
    const std::wstring app = dir + L"\\app\\lumapp.exe";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"lumapp.exe --sleep";
    Check(CopyFileW(self, app.c_str(), FALSE) &&
              CreateProcessW(app.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi),
          "start the application from its folder");
    const int before = g_callbacks;
    Check(LUM_INT(ProcessRunning, L"") == -1 && LUM_INT(ProcessRunning, nullptr) == -1 && g_callbacks == before,
          "ProcessRunning of null or empty is -1 and notifies nobody");
    Check(LUM(ProcessRunning, app.c_str()) == 1 && g_callbacks == before + 1, "ProcessRunning finds the application");
    const std::wstring report = Report();
    Check(report.starts_with(L"lumapp.exe (PID " + std::to_wstring(pi.dwProcessId) + L") \x2014 ") &&
              report.find(L"\r\n" + app) != std::wstring::npos, "the report names it", report);
    Check(LUM(CloseApplication, app.c_str()) == 1 && WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0,
          "CloseApplication ends it");
    Check(g_collected.find(L"Closing application without UI") != std::wstring::npos && g_callbacks > before + 2,
          "the callback collected the shutdown lines");
    if (pi.hProcess) CloseHandle(pi.hThread), CloseHandle(pi.hProcess);

    // Logged relaunch: an error result, then a real run of this program.
    Check(LUM(RunLogged, (dir + L"\\missing.exe").c_str(), nullptr, nullptr, 0) == ERROR_FILE_NOT_FOUND,
          "RunLogged of a missing program is 2");
    const std::wstring echo = dir + L"\\cmd.txt";
    const std::wstring args = L"--echo \"" + echo + L"\" /SL5=\"$1\" /log=old \"two words\" tail\\";
    const uint32_t exitCode = LUM(RunLogged, self, args.c_str(), L"C:\\l o g.txt", pi.dwProcessId);
    const std::string line = ReadBytes(echo);
    Check(exitCode == 42 && std::wstring(reinterpret_cast<const wchar_t*>(line.data()), line.size() / 2) ==
                                L"\"" + std::wstring(self) + L"\" \"--echo\" \"" + echo +
                                    L"\" \"two words\" \"tail\\\\\" /LOG=\"C:\\l o g.txt\"",
          "RunLogged relaunches with /LOG= and returns the exit code", std::to_wstring(exitCode));

    // Offline rendering. Where 32-bit programs have no display driver no memory
    // DC can be made: Render must then answer 0, write no PNG and still the dump.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HDC screen = CreateCompatibleDC(nullptr);
    if (screen) DeleteDC(screen);
    const std::wstring png = dir + L"\\page.png";
    Check(LUM(Render, nullptr, 3, 96) == 0, "Render(null) is 0");
    const uint32_t rendered = LUM(Render, png.c_str(), 3, 144);
    const std::string image = ReadBytes(png), dump = ReadBytes(png + L".layout.txt");
    const auto be32 = [&](size_t at) { return unsigned(BYTE(image[at]) << 24 | BYTE(image[at + 1]) << 16 | BYTE(image[at + 2]) << 8 | BYTE(image[at + 3])); };
    if (screen)
        Check(rendered == 1 && image.size() > 24 && image.compare(1, 3, "PNG") == 0 && be32(16) == 1080 && be32(20) == 720,
              "Render scenario 3 at 144 DPI writes a 1080 x 720 PNG");
    else
        Check(rendered == 0 && image.empty(), "Render without a display driver (no memory DC here): 0 and no PNG");
    Check(dump.starts_with("overflow_count=0\n"), "the layout dump counts no overflow");

    Check(g_stackErrors.empty(), "stdcall contract kept by all " + std::to_string(g_calls) + " export calls",
          std::wstring(g_stackErrors.begin(), g_stackErrors.end()));
    Check(g_foreignCallers == 0, "all " + std::to_string(g_callbacks) + " callbacks came from the DLL");
    LUM(Destroy);
    FreeLibrary(g_dll);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return Finish();
}
