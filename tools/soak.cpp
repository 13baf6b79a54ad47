// lumora_soak: long fault hunts through LumoraUI.dll's exports, loaded the way
// a setup program loads it. Run by hand for the full figures; the reliability
// test runs short versions.
//
//   lumora_soak.exe screens <count> <seed>      random screens rendered at random DPIs
//   lumora_soak.exe cycles <count> <renderEvery> LoadLibrary, use, FreeLibrary
//   lumora_soak.exe threads <seconds>           8 threads calling exports at once
//
// Prints its figures, then "result=ok" (exit code 0) or "result=FAILED <why>"
// (exit code 1). A crash prints "crash ..." and exits with 3 at once, so that
// no debugger can hang the run.
#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "exports/LumoraUI.h"
#include "text/language_table.h"

namespace {

using Rng = std::mt19937;

struct Api {
    HMODULE module = nullptr;
    decltype(&LumUI_SetPage) SetPage = nullptr;
    decltype(&LumUI_Poll) Poll = nullptr;
    decltype(&LumUI_GetFlags) GetFlags = nullptr;
    decltype(&LumUI_SetFlags) SetFlags = nullptr;
    decltype(&LumUI_SetText) SetText = nullptr;
    decltype(&LumUI_SetPath) SetPath = nullptr;
    decltype(&LumUI_GetPath) GetPath = nullptr;
    decltype(&LumUI_SetProgress) SetProgress = nullptr;
    decltype(&LumUI_LoadLanguage) LoadLanguage = nullptr;
    decltype(&LumUI_GetLink) GetLink = nullptr;
    decltype(&LumUI_Render) Render = nullptr;
    decltype(&LumUI_Destroy) Destroy = nullptr;
    decltype(&LumUI_ProcessRunning) ProcessRunning = nullptr;
    decltype(&LumUI_GetProcessReport) GetProcessReport = nullptr;
    decltype(&LumUI_ConfigureLog) ConfigureLog = nullptr;
    decltype(&LumUI_ReadLog) ReadLog = nullptr;
};

std::wstring ExeFolder() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

template <typename F>
void Resolve(HMODULE module, const char* name, F& slot) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Loads the DLL beside the tool; module is null when it or an export is missing.
Api Load() {
    Api api;
    api.module = ::LoadLibraryW((ExeFolder() + L"LumoraUI.dll").c_str());
    if (!api.module) return api;
#define SOAK_RESOLVE(name) Resolve(api.module, "LumUI_" #name, api.name)
    SOAK_RESOLVE(SetPage);
    SOAK_RESOLVE(Poll);
    SOAK_RESOLVE(GetFlags);
    SOAK_RESOLVE(SetFlags);
    SOAK_RESOLVE(SetText);
    SOAK_RESOLVE(SetPath);
    SOAK_RESOLVE(GetPath);
    SOAK_RESOLVE(SetProgress);
    SOAK_RESOLVE(LoadLanguage);
    SOAK_RESOLVE(GetLink);
    SOAK_RESOLVE(Render);
    SOAK_RESOLVE(Destroy);
    SOAK_RESOLVE(ProcessRunning);
    SOAK_RESOLVE(GetProcessReport);
    SOAK_RESOLVE(ConfigureLog);
    SOAK_RESOLVE(ReadLog);
#undef SOAK_RESOLVE
    if (!api.ReadLog || !api.SetPage || !api.Render || !api.Destroy || !api.ProcessRunning) {
        ::FreeLibrary(api.module);
        api.module = nullptr;
    }
    return api;
}

std::vector<std::wstring> DrainLog(const Api& api) {
    std::vector<std::wstring> lines;
    for (int32_t length; (length = api.ReadLog(nullptr, 0)) > 0;) {
        std::wstring line(static_cast<size_t>(length) + 1, L'\0');
        if (api.ReadLog(line.data(), length + 1) != length) continue;  // another thread took it
        line.resize(static_cast<size_t>(length));
        lines.push_back(std::move(line));
    }
    return lines;
}

// What a leak would raise. GetProcessHandleCount reads 0 under Wine, so
// handles are counted by probing handle values; heapKb is what the process's
// heaps hold in busy blocks (committed memory, shown beside it, only follows
// the heaps' high-water mark); tlsIndex is the lowest free TLS slot.
struct Gauges {
    int handles = 0;
    size_t heapKb = 0;
    size_t committedKb = 0;
    DWORD tlsIndex = 0;
};

size_t HeapBusyBytes() {
    HANDLE heaps[64];
    const DWORD count = std::min<DWORD>(::GetProcessHeaps(64, heaps), 64);
    size_t busy = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!::HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
        }
        ::HeapUnlock(heaps[i]);
    }
    return busy;
}

Gauges Measure() {
    Gauges gauges;
    for (uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++gauges.handles;
    }
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) gauges.committedKb += region.RegionSize / 1024;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    gauges.heapKb = HeapBusyBytes() / 1024;
    gauges.tlsIndex = ::TlsAlloc();
    ::TlsFree(gauges.tlsIndex);
    return gauges;
}

void Print(const wchar_t* label, long step, const Gauges& g) {
    std::wprintf(L"%ls %ld handles=%d heapKb=%zu committedKb=%zu tlsIndex=%lu\n", label, step, g.handles, g.heapKb,
                 g.committedKb, static_cast<unsigned long>(g.tlsIndex));
    std::fflush(stdout);
}

// Flat: no more handles and the same TLS slot as at the first sample, and the
// lowest heap use of the last third no higher than that of the middle third
// plus slack. The first third is left out: the text caches fill up there, and
// they and Wine's font caches breathe by a few MB.
std::wstring LeakVerdict(const std::vector<Gauges>& samples, size_t slackKb) {
    if (samples.size() < 3) return L"";
    const Gauges& warm = samples.front();
    const Gauges& last = samples.back();
    if (last.handles > warm.handles) return L"handles grew by " + std::to_wstring(last.handles - warm.handles);
    if (last.tlsIndex != warm.tlsIndex) return L"TLS slots leaked";
    const size_t third = samples.size() / 3;
    auto floor = [&](size_t from, size_t to) {
        size_t low = SIZE_MAX;
        for (size_t i = from; i < to; ++i) low = std::min(low, samples[i].heapKb);
        return low;
    };
    const size_t middle = floor(third, samples.size() - third);
    const size_t late = floor(samples.size() - third, samples.size());
    if (late > middle + slackKb) return L"heap use grew by " + std::to_wstring(late - middle) + L" KB";
    return L"";
}

int Finish(const std::wstring& failure) {
    if (failure.empty()) {
        std::wprintf(L"result=ok\n");
    } else {
        std::wprintf(L"result=FAILED %ls\n", failure.c_str());
    }
    std::fflush(stdout);
    return failure.empty() ? 0 : 1;
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::wprintf(L"crash code=0x%08lx address=%p thread=%lu\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                 info->ExceptionRecord->ExceptionAddress, ::GetCurrentThreadId());
    std::fflush(stdout);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::wstring TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    std::wstring folder(temp, ::GetTempPathW(MAX_PATH + 1, temp));
    folder += name + L"-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

// Text that has broken layouts and converters elsewhere: emoji and joined
// emoji, combining marks, right-to-left runs and controls, unpaired
// surrogates, CJK, line breaks; now and then tens of thousands of units.
std::wstring RandomText(Rng& rng) {
    static const wchar_t* const kPieces[] = {L"Lumora",
                                             L" ",
                                             L"C:\\Program Files\\",
                                             L"\U0001F600",
                                             L"\U0001F468\u200D\U0001F469\u200D\U0001F467",
                                             L"e\u0301",
                                             L"\u0301\u0302\u0303\u0304",
                                             L"\u05E9\u05DC\u05D5\u05DD",
                                             L"\u0645\u0631\u062D\u0628\u0627",
                                             L"\u202E",
                                             L"\u200F",
                                             L"\xD83D",
                                             L"\xDE00",
                                             L"\u65E5\u672C\u8A9E",
                                             L"\uD55C\uAD6D\uC5B4",
                                             L"\r\n",
                                             L"\t",
                                             L"\uFEFF",
                                             L"\uFFFF",
                                             L"%s%n",
                                             L"&&&",
                                             L"W",
                                             L"\u0E01\u0E34\u0E4A"};
    const size_t pieceCount = std::size(kPieces);
    std::wstring text;
    const int pieces = std::uniform_int_distribution<int>(0, 12)(rng);
    for (int i = 0; i < pieces; ++i) text += kPieces[rng() % pieceCount];
    if (rng() % 150 == 0) {
        const size_t length = std::uniform_int_distribution<size_t>(4000, 100000)(rng);
        while (text.size() < length) text += kPieces[rng() % pieceCount];
    }
    return text;
}

const wchar_t* RandomLanguage(Rng& rng) {
    static const wchar_t* const kExtra[] = {L"", L"klingon", L"ENGLISH"};
    const size_t pick = rng() % (lum::kLanguageCount + std::size(kExtra));
    return pick < lum::kLanguageCount ? lum::LanguageList[pick].id : kExtra[pick - lum::kLanguageCount];
}

int32_t RandomInt(Rng& rng) {
    static const int32_t kEdges[] = {INT32_MIN, -1, 0, 1, 50, 100, INT32_MAX};
    return rng() % 3 == 0 ? kEdges[rng() % std::size(kEdges)] : static_cast<int32_t>(rng() % 200) - 20;
}

// Mostly the DPIs of real screens; now and then any from 24 to 384, or one
// that cannot be drawn (0 and below).
int32_t RandomDpi(Rng& rng) {
    static const int32_t kCommon[] = {96, 96, 96, 96, 96, 96, 120, 144, 192};
    static const int32_t kOdd[] = {-1, 0, 1, 384};
    const unsigned pick = rng() % 10;
    if (pick < 8) return kCommon[rng() % std::size(kCommon)];
    if (pick < 9) return std::uniform_int_distribution<int32_t>(24, 384)(rng);
    return kOdd[rng() % std::size(kOdd)];
}

// Random screens: every settable value at random, then one render at a random DPI.
int RunScreens(long count, unsigned seed) {
    const Api api = Load();
    if (!api.module) return Finish(L"LumoraUI.dll or one of its exports is missing");
    Rng rng(seed);
    const std::wstring folder = TempFolder(L"lumora-soak");
    const std::wstring png = folder + L"screen.png";
    std::vector<Gauges> samples;
    long failed = 0;
    for (long i = 0; i < count; ++i) {
        if (rng() % 2) api.SetText(L"Error", RandomText(rng).c_str());
        if (rng() % 4 == 0) api.SetText(L"Version", RandomText(rng).c_str());
        if (rng() % 2) api.SetPath(RandomText(rng).c_str());
        if (rng() % 2) api.SetProgress(RandomInt(rng), RandomInt(rng), RandomText(rng).c_str());
        for (int n = rng() % 4; n > 0; --n) {
            api.SetText(lum::kLanguageTable[rng() % lum::kTextKeyCount].key, RandomText(rng).c_str());
        }
        if (rng() % 3 == 0) api.SetFlags(static_cast<uint32_t>(rng()));
        if (rng() % 5 == 0) api.LoadLanguage(nullptr, RandomLanguage(rng));
        const int32_t scenario = static_cast<int32_t>(rng() % 28) - 3;
        const int32_t dpi = RandomDpi(rng);
        if (api.Render(png.c_str(), scenario, dpi) != (dpi >= 1 ? 1 : 0)) {
            ++failed;
            std::wprintf(L"render %ld scenario=%d dpi=%d gave the wrong result\n", i, scenario, dpi);
        }
        DrainLog(api);
        if ((i + 1) % std::max(count / 10, 1L) == 0) {
            // The library's caches (texts, kept pictures) are bounded, and
            // LumUI_Destroy empties them: what is left is what would leak.
            api.Destroy();
            samples.push_back(Measure());
            Print(L"screen", i + 1, samples.back());
        }
    }
    ::DeleteFileW(png.c_str());
    ::DeleteFileW((png + L".layout.txt").c_str());
    ::RemoveDirectoryW(folder.c_str());
    std::wprintf(L"screens=%ld seed=%u wrongResults=%ld\n", count, seed, failed);
    if (failed) return Finish(std::to_wstring(failed) + L" renders gave the wrong result");
    return Finish(LeakVerdict(samples, 4096));
}

// LoadLibrary, log, language, render (every renderEvery cycles), scan, report,
// FreeLibrary. After the last cycle the DLL stays loaded and the process ends
// without FreeLibrary, as many setups end.
int RunCycles(long count, long renderEvery) {
    Rng rng(17);
    const std::wstring folder = TempFolder(L"lumora-cycles");
    const std::wstring png = folder + L"cycle.png";
    const std::wstring target = folder + L"App\\Lumora.exe";
    std::vector<Gauges> samples;
    const long warmUp = std::max(count / 10, 1L);
    for (long i = 0; i <= count; ++i) {
        const Api api = Load();
        if (!api.module) return Finish(L"cycle " + std::to_wstring(i) + L": LoadLibrary failed");
        api.ConfigureLog(L"", nullptr);
        api.LoadLanguage(nullptr, RandomLanguage(rng));
        if (renderEvery > 0 && i % renderEvery == 0 && api.Render(png.c_str(), i % 20, 96) != 1) {
            return Finish(L"cycle " + std::to_wstring(i) + L": render failed");
        }
        api.ProcessRunning(target.c_str());
        wchar_t report[256];
        api.GetProcessReport(report, 256);
        DrainLog(api);
        if (i == count) break;  // the process ends with the DLL loaded
        ::FreeLibrary(api.module);
        if (i >= warmUp && (i - warmUp) % std::max((count - warmUp) / 10, 1L) == 0) {
            samples.push_back(Measure());
            Print(L"cycle", i, samples.back());
        }
    }
    ::DeleteFileW(png.c_str());
    ::DeleteFileW((png + L".layout.txt").c_str());
    ::RemoveDirectoryW(folder.c_str());
    std::wprintf(L"cycles=%ld renderEvery=%ld\n", count, renderEvery);
    return Finish(LeakVerdict(samples, 512));
}

// Eight threads call state, text, render, scan and report exports at random
// for the given time. None may crash or hang; afterwards the flags and the
// path are values that some thread set, and each thread was refused with at
// most one log line.
struct ThreadsRun {
    Api api;
    ULONGLONG deadline = 0;
    std::wstring folder;
    std::vector<std::vector<std::wstring>> logs;  // the lines each thread read
    // LumUI_GetFlags and LumUI_GetPath answer 0 only when refused (no value set is 0 or empty).
    std::atomic<long> readsServed{0};
    std::atomic<long> readsRefused{0};
};
constexpr uint32_t kSoakFlags[] = {0x1, 0x2, 0x3, 0x5, 0x9, 0xF00};
const wchar_t* const kSoakPaths[] = {L"C:\\Soak\\One", L"D:\\Soak\\Two", L"C:\\Program Files\\Lumora"};

struct ThreadArgs {
    ThreadsRun* run;
    int index;
};

DWORD WINAPI CallAtRandom(void* parameter) {
    const auto& [run, index] = *static_cast<ThreadArgs*>(parameter);
    const Api& api = run->api;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Rng rng(1000u + static_cast<unsigned>(index));
    const std::wstring png = run->folder + L"thread" + std::to_wstring(index) + L".png";
    const std::wstring target = run->folder + L"App\\Lumora.exe";
    wchar_t buffer[512];
    while (::GetTickCount64() < run->deadline) {
        switch (rng() % 12) {
        case 0:
            api.SetProgress(static_cast<int32_t>(rng() % 100), 100, RandomText(rng).c_str());
            break;
        case 1:
            api.SetText(rng() % 2 ? L"Error" : L"WelcomeTitle", RandomText(rng).c_str());
            break;
        case 2:
            api.SetPath(kSoakPaths[rng() % std::size(kSoakPaths)]);
            break;
        case 3:
            ++(api.GetPath(buffer, 512) > 0 ? run->readsServed : run->readsRefused);
            break;
        case 4:
            api.SetFlags(kSoakFlags[rng() % std::size(kSoakFlags)]);
            break;
        case 5:
            ++(api.GetFlags() != 0 ? run->readsServed : run->readsRefused);
            break;
        case 6:
            api.Render(png.c_str(), static_cast<int32_t>(rng() % 20), 96);
            break;
        case 7:
            api.ProcessRunning(target.c_str());
            break;
        case 8:
            api.GetProcessReport(buffer, 512);
            break;
        case 9: {
            auto lines = DrainLog(api);
            run->logs[index].insert(run->logs[index].end(), lines.begin(), lines.end());
            break;
        }
        case 10:
            api.SetPage(static_cast<int32_t>(rng() % 11));
            break;
        default:
            api.LoadLanguage(nullptr, RandomLanguage(rng));
            break;
        }
        // Give the thread inside the gate the processor now and then, so that
        // the gate changes hands often instead of refusing spinning callers.
        ::SwitchToThread();
    }
    ::CoUninitialize();
    return 0;
}

int RunThreads(long seconds) {
    constexpr int kThreads = 8;
    ThreadsRun run;
    run.api = Load();
    if (!run.api.module) return Finish(L"LumoraUI.dll or one of its exports is missing");
    run.folder = TempFolder(L"lumora-threads");
    run.logs.resize(kThreads + 1);
    run.api.SetFlags(kSoakFlags[0]);
    run.api.SetPath(kSoakPaths[0]);
    run.deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    ThreadArgs args[kThreads];
    HANDLE threads[kThreads];
    for (int i = 0; i < kThreads; ++i) {
        args[i] = {&run, i};
        threads[i] = ::CreateThread(nullptr, 0, &CallAtRandom, &args[i], 0, nullptr);
        if (!threads[i]) return Finish(L"CreateThread failed");
    }
    const DWORD waited = ::WaitForMultipleObjects(kThreads, threads, TRUE, static_cast<DWORD>(seconds) * 1000 + 60000);
    if (waited >= WAIT_OBJECT_0 + kThreads) {
        Finish(L"a thread still runs a minute after the deadline: deadlock");
        ::TerminateProcess(::GetCurrentProcess(), 1);
    }
    for (HANDLE thread : threads) ::CloseHandle(thread);

    std::wstring failure;
    const uint32_t flags = run.api.GetFlags();
    if (std::find(std::begin(kSoakFlags), std::end(kSoakFlags), flags) == std::end(kSoakFlags)) {
        failure = L"flags " + std::to_wstring(flags) + L" were never set";
    }
    wchar_t path[512] = {};
    run.api.GetPath(path, 512);
    const auto isPath = [&](const wchar_t* set) { return std::wstring(path) == set; };
    if (std::none_of(std::begin(kSoakPaths), std::end(kSoakPaths), isPath)) {
        failure = L"path \"" + std::wstring(path) + L"\" was never set";
    }
    run.logs[kThreads] = DrainLog(run.api);
    std::set<std::wstring> refused;
    size_t refusals = 0, lines = 0;
    for (const auto& log : run.logs) {
        for (const std::wstring& line : log) {
            ++lines;
            if (line.find(L"] Export refused; export=LumUI_") == std::wstring::npos) continue;
            const size_t at = line.find(L" thread=");
            if (at == std::wstring::npos) continue;
            ++refusals;
            const std::wstring thread = line.substr(at + 8, line.find(L' ', at + 8) - at - 8);
            if (!refused.insert(thread).second) failure = L"thread " + thread + L" was refused with two log lines";
        }
    }
    if (run.readsRefused.load() > 0 && refusals == 0) failure = L"calls were refused without a log line";
    std::wprintf(L"threads=%d seconds=%ld readsServed=%ld readsRefused=%ld logLines=%zu refusalLines=%zu\n", kThreads,
                 seconds, run.readsServed.load(), run.readsRefused.load(), lines, refusals);
    for (int i = 0; i < kThreads; ++i) ::DeleteFileW((run.folder + L"thread" + std::to_wstring(i) + L".png").c_str());
    for (int i = 0; i < kThreads; ++i) {
        ::DeleteFileW((run.folder + L"thread" + std::to_wstring(i) + L".png.layout.txt").c_str());
    }
    ::RemoveDirectoryW(run.folder.c_str());
    return Finish(failure);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::SetUnhandledExceptionFilter(&ReportCrash);
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    const long first = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 0;
    const long second = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 0;
    // The renderer encodes with WIC, which needs COM on the calling thread.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (mode == L"screens" && first > 0) return RunScreens(first, static_cast<unsigned>(second));
    if (mode == L"cycles" && first > 0) return RunCycles(first, second);
    if (mode == L"threads" && first > 0) return RunThreads(first);
    std::fwprintf(stderr,
                  L"usage: lumora_soak.exe screens <count> <seed> | cycles <count> <renderEvery> | "
                  L"threads <seconds>\n");
    return 2;
}
