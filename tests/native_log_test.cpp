// The native log: the ReadLog protocol, the line format, the start line and
// the callback, and many writers against one reader.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "log/native_log.h"
#include "test_support.h"

using lumtest::Dll;
using lumtest::DrainDllLog;

namespace {

int32_t g_callbackCalls = 0;
int32_t __stdcall CountingCallback() {
    ++g_callbackCalls;
    return 0x5A5A1234;
}

std::vector<std::wstring> DrainLinked() {
    std::vector<std::wstring> lines;
    for (int32_t n; (n = LumUI_ReadLog(nullptr, 0)) > 0;) {
        std::wstring line(static_cast<size_t>(n) + 1, L'\0');
        EXPECT_EQ(LumUI_ReadLog(line.data(), n + 1), n);
        line.resize(static_cast<size_t>(n));
        lines.push_back(line);
    }
    return lines;
}

std::wstring WithoutPrefix(const std::wstring& line) { return line.size() >= 22 ? line.substr(22) : line; }

}  // namespace

TEST(NativeLog, PrefixHasTwoDigitTimeAndThreeDigitMilliseconds) {
    SYSTEMTIME t{};
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 7;
    t.wMilliseconds = 42;
    EXPECT_EQ(lum::LogPrefix(t), L"[native 09:05:07.042] ");
    t.wHour = 23;
    t.wMinute = 59;
    t.wSecond = 59;
    t.wMilliseconds = 999;
    EXPECT_EQ(lum::LogPrefix(t), L"[native 23:59:59.999] ");
}

TEST(NativeLog, ReadProtocolThroughTheDll) {
    const auto& api = Dll();
    DrainDllLog();
    EXPECT_EQ(api.ReadLog(nullptr, 0), 0) << "empty queue";
    wchar_t buffer[512];
    EXPECT_EQ(api.ReadLog(buffer, 512), 0);

    g_callbackCalls = 0;
    EXPECT_EQ(api.ConfigureLog(L"C:\\logs\\setup.log", &CountingCallback), 0x5A5A1234);
    EXPECT_EQ(g_callbackCalls, 1);

    const int32_t length = api.ReadLog(nullptr, 0);
    ASSERT_GT(length, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(api.ReadLog(nullptr, 100), length) << "a null buffer never removes a line";
        EXPECT_EQ(api.ReadLog(buffer, 0), length);
        EXPECT_EQ(api.ReadLog(buffer, -5), length);
    }
    buffer[0] = L'#';
    EXPECT_EQ(api.ReadLog(buffer, length), -1) << "capacity equal to the length is too small";
    EXPECT_EQ(buffer[0], L'#') << "nothing written when it does not fit";
    EXPECT_EQ(api.ReadLog(nullptr, 0), length) << "and the line stays";
    EXPECT_EQ(api.ReadLog(buffer, length + 1), length);
    const std::wstring line(buffer);
    EXPECT_EQ(static_cast<int32_t>(line.size()), length);
    const std::wregex start(LR"(\[native \d\d:\d\d:\d\d\.\d\d\d\] Native UI initialized; PID=(\d+) session=(\d+) log=C:\\logs\\setup\.log)");
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(line, match, start)) << lumtest::Utf8(line);
    EXPECT_EQ(std::stoul(match[1].str()), ::GetCurrentProcessId());
    EXPECT_EQ(api.ReadLog(buffer, 512), 0) << "the queue is empty again";
}

TEST(NativeLog, NullPathAndCallbackAreAllowed) {
    const auto& api = Dll();
    DrainDllLog();
    EXPECT_EQ(api.ConfigureLog(nullptr, nullptr), 0);
    const auto lines = DrainDllLog();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(WithoutPrefix(lines[0]).rfind(L"Native UI initialized; PID=", 0), 0u);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 4), L"log=") << "an empty path leaves the line ending in log=";
}

TEST(NativeLog, LinesBeforeConfigureComeFirstAndMessagesStayUnchanged) {
    DrainLinked();
    lum::WriteLogLine(L"first");
    lum::WriteLogLine(L"two\r\nlines");
    lum::WriteLogLine(L"");
    EXPECT_EQ(LumUI_ConfigureLog(L"D:\\setup.log", nullptr), 0);
    EXPECT_EQ(lum::LogPath(), L"D:\\setup.log");
    const auto lines = DrainLinked();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(WithoutPrefix(lines[0]), L"first");
    EXPECT_EQ(WithoutPrefix(lines[1]), L"two\r\nlines");
    EXPECT_EQ(lines[1].find(L"[native"), 0u);
    EXPECT_EQ(lines[1].find(L"[native", 1), std::wstring::npos) << "the prefix stands once";
    EXPECT_EQ(lines[2].size(), 22u) << "an empty message is still a non-empty line";
    EXPECT_EQ(WithoutPrefix(lines[3]).rfind(L"Native UI initialized; PID=", 0), 0u);
    lum::NotifyHost();  // no callback: nothing happens
}

TEST(NativeLog, ManyWritersOneReaderLoseNothingAndKeepEachThreadsOrder) {
    DrainLinked();
    constexpr int kThreads = 6;
    constexpr int kLinesEach = 3000;
    std::atomic<int> running{kThreads};
    std::vector<std::wstring> read;
    std::thread reader([&] {
        for (;;) {
            const bool writersDone = running.load() == 0;
            auto batch = DrainLinked();
            read.insert(read.end(), batch.begin(), batch.end());
            if (writersDone && batch.empty()) break;
            std::this_thread::yield();
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &running] {
            for (int i = 0; i < kLinesEach; ++i) {
                lum::WriteLogLine(L"t=" + std::to_wstring(t) + L" n=" + std::to_wstring(i));
            }
            --running;
        });
    }
    for (auto& w : writers) w.join();
    reader.join();
    ASSERT_EQ(read.size(), static_cast<size_t>(kThreads * kLinesEach));
    std::map<int, int> next;
    for (const auto& line : read) {
        int t = -1, n = -1;
        ASSERT_EQ(swscanf(WithoutPrefix(line).c_str(), L"t=%d n=%d", &t, &n), 2) << lumtest::Utf8(line);
        EXPECT_EQ(n, next[t]) << "thread " << t << " out of order";
        next[t] = n + 1;
    }
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kLinesEach);
}
