// Cost of one Snapshot of a process group with 0, 10 and 100 extra running
// processes (windowless fixture processes). Each count is measured twice: the
// extra processes outside the install folder (each one is opened and verified
// again in every snapshot) and inside it (members, recognised by a zero wait on
// the handle already held).
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "shutdown/canonical_path.h"
#include "base/error_text.h"
#include "shutdown/process_group.h"
#include "shutdown/snapshot.h"
#include "test_support.h"

namespace {

constexpr int kRuns = 25;

struct Started {
    lum::UniqueHandle process;
};

bool StartIdle(const std::wstring& exe, std::vector<Started>& started) {
    static int counter = 0;
    const std::wstring name = L"lumbench-ready-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++);
    lum::UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    std::wstring commandLine = L"\"" + exe + L"\" nowindow --ready \"" + name + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        return false;
    }
    ::CloseHandle(info.hThread);
    started.push_back(Started{lum::UniqueHandle(info.hProcess)});
    return ::WaitForSingleObject(ready.get(), 30000) == WAIT_OBJECT_0;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Measure(const wchar_t* where, size_t extra, const std::wstring& target) {
    size_t lines = 0;
    lum::ProcessGroup group(target, [&](const std::wstring&) { ++lines; });
    int32_t running = lum::Snapshot(group);  // admits the members once
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        running = lum::Snapshot(group);
        ::QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times) sum += t;
    std::printf("snapshot extra=%3zu %-7ls running=%3d  mean=%7.2f ms  median=%7.2f ms  min=%7.2f ms  (%d runs)\n",
                extra, where, running, sum / kRuns, times[kRuns / 2], times.front(), kRuns);
}

// The two helpers a snapshot calls per candidate and per record.
template <typename F>
void MeasureCall(const char* what, F&& call) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < 200; ++i) call();
    ::QueryPerformanceCounter(&end);
    std::printf("%-40s %7.3f ms per call\n", what, Milliseconds(start, end) / 200);
}

}  // namespace

int main() {
    const std::wstring self = lumtest::ExeDir() + L"snapshot_bench.exe";
    MeasureCall("CanonicalPath(existing image)", [&] { lum::CanonicalPath(self); });
    MeasureCall("FormatErrorText(0)", [] { lum::FormatErrorText(0); });
    lumtest::TempDir install;
    lumtest::TempDir pool;
    const std::wstring idle = pool / L"idle.exe";
    if (!::CopyFileW((lumtest::ExeDir() + L"lumfixture_app.exe").c_str(), idle.c_str(), FALSE)) {
        std::printf("cannot copy the fixture program\n");
        return 1;
    }
    std::vector<Started> started;
    for (const size_t extra : {size_t{0}, size_t{10}, size_t{100}}) {
        while (started.size() < extra) {
            if (!StartIdle(idle, started)) {
                std::printf("could not start fixture process %zu\n", started.size() + 1);
                return 1;
            }
        }
        MeasureCall("process list alone (tool-help)", [] {
            PROCESSENTRY32W entry{};
            entry.dwSize = sizeof(entry);
            lum::UniqueFileHandle list(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
            if (::Process32FirstW(list.get(), &entry)) {
                while (::Process32NextW(list.get(), &entry)) {
                }
            }
        });
        Measure(L"outside", extra, install / L"Lumora.exe");
        Measure(L"inside", extra, pool / L"Lumora.exe");
    }
    for (Started& s : started) {
        ::TerminateProcess(s.process.get(), 0);
        ::WaitForSingleObject(s.process.get(), 5000);
    }
    return 0;
}
