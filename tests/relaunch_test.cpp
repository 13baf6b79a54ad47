// LumUI_RunLogged as a setup program calls it: the relaunched program is the
// echo fixture, which records the command line it received, how it splits,
// and whether the process it was told to watch had ended when it started.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

using lumtest::Dll;
using lumtest::TempDir;

namespace {

using Clock = std::chrono::steady_clock;

std::wstring Fixture() { return lumtest::ExeDir() + L"lumfixture_echo.exe"; }

// Sets (or with nullopt removes) an environment variable of this process for
// one scope. The DLL runs in this process, so the relaunched program inherits it.
class ScopedEnv {
public:
    ScopedEnv(std::wstring name, std::optional<std::wstring> value) : name_(std::move(name)) {
        std::wstring old(32768, L'\0');
        const DWORD n = ::GetEnvironmentVariableW(name_.c_str(), old.data(), 32768);
        if (n > 0 && n < 32768) old_ = old.substr(0, n);
        ::SetEnvironmentVariableW(name_.c_str(), value ? value->c_str() : nullptr);
    }
    ~ScopedEnv() { ::SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> old_;
};

// What the relaunched fixture recorded.
struct Echo {
    bool written = false;
    std::wstring peer;                // "none", "running", "ended" or "gone"
    std::wstring commandLine;         // GetCommandLineW
    std::vector<std::wstring> argv;  // CommandLineToArgvW of it, program included
};

Echo ReadEcho(const std::wstring& path) {
    Echo echo;
    const std::string bytes = lumtest::ReadFileBytes(path);
    if (bytes.empty()) return echo;
    echo.written = true;
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
        fields.push_back(text.substr(start, end - start));
    }
    if (fields.size() < 2) return echo;
    echo.peer = fields[0];
    echo.commandLine = fields[1];
    echo.argv.assign(fields.begin() + 2, fields.end());
    return echo;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// One relaunch scenario: a fresh folder, the fixture told where to write.
class RelaunchTest : public ::testing::Test {
protected:
    std::wstring EchoPath() const { return dir_ / L"echo.bin"; }
    std::wstring LogPath() const { return dir_ / L"relaunch log.txt"; }
    Echo Read() const { return ReadEcho(EchoPath()); }
    uint32_t Run(const wchar_t* arguments, const wchar_t* logFile, uint32_t waitPid = 0) {
        return Dll().RunLogged(program_.c_str(), arguments, logFile, waitPid);
    }

    TempDir dir_;
    std::wstring program_ = Fixture();
    ScopedEnv echoOut_{L"LUMFIXTURE_ECHO_OUT", dir_ / L"echo.bin"};
    ScopedEnv exitCode_{L"LUMFIXTURE_EXIT_CODE", L"0"};
    ScopedEnv hold_{L"LUMFIXTURE_HOLD_EVENT", std::nullopt};
    ScopedEnv peer_{L"LUMFIXTURE_PEER_PID", std::nullopt};
};

// A fixture process that runs until its event is set.
class HeldProcess {
public:
    HeldProcess() {
        const std::wstring name = L"lumtest-hold-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter_++);
        event_ = ::CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        ScopedEnv hold(L"LUMFIXTURE_HOLD_EVENT", name);
        ScopedEnv echo(L"LUMFIXTURE_ECHO_OUT", std::nullopt);
        std::wstring commandLine = L"\"" + Fixture() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(Fixture().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info)) {
            ADD_FAILURE() << "could not start the held fixture: " << ::GetLastError();
            return;
        }
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        pid_ = info.dwProcessId;
    }
    ~HeldProcess() {
        Release();
        if (process_) {
            ::WaitForSingleObject(process_, 10000);
            ::CloseHandle(process_);
        }
        if (event_) ::CloseHandle(event_);
    }
    HeldProcess(const HeldProcess&) = delete;
    HeldProcess& operator=(const HeldProcess&) = delete;

    DWORD pid() const { return pid_; }
    void Release() {
        if (event_) ::SetEvent(event_);
    }
    bool Running() const { return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

private:
    static inline unsigned counter_ = 0;
    HANDLE event_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Polls until `path` exists or `limit` has passed.
bool AppearsWithin(const std::wstring& path, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (FileExists(path)) return true;
        ::Sleep(20);
    }
    return FileExists(path);
}

}  // namespace

TEST_F(RelaunchTest, TokensArriveExactlyAsTheRunningSetupHadThem) {
    // The running setup's own argument text, written the ways people and
    // programs write command lines (bare, quoted, escaped, half-quoted).
    const std::wstring arguments =
        L"plain \"with blank\" emb\\\"edded \"trail\\\\\" in\\side \"\" \"tab\there\" half\" quoted\" "
        L"\x4E2D\x6587 C:\\dir\\ \"\\\\server\\share\\\\\"";
    const std::vector<std::wstring> tokens = {
        L"plain", L"with blank", L"emb\"edded", L"trail\\", L"in\\side", L"", L"tab\there", L"half quoted",
        L"\x4E2D\x6587", L"C:\\dir\\", L"\\\\server\\share\\",
    };
    ASSERT_EQ(Run(arguments.c_str(), LogPath().c_str()), 0u);
    const Echo echo = Read();
    ASSERT_TRUE(echo.written);
    ASSERT_EQ(echo.argv.size(), tokens.size() + 2);
    EXPECT_EQ(echo.argv.front(), program_);
    EXPECT_EQ(std::vector<std::wstring>(echo.argv.begin() + 1, echo.argv.end() - 1), tokens);
    EXPECT_EQ(echo.argv.back(), L"/LOG=" + LogPath());
    EXPECT_EQ(echo.commandLine, L"\"" + program_ +
                                    L"\" \"plain\" \"with blank\" \"emb\\\"edded\" \"trail\\\\\" \"in\\side\" \"\" "
                                    L"\"tab\there\" \"half quoted\" \"\x4E2D\x6587\" \"C:\\dir\\\\\" "
                                    L"\"\\\\server\\share\\\\\" /LOG=\"" +
                                    LogPath() + L"\"");
}

TEST_F(RelaunchTest, SetupAndRelaunchSwitchesAreLeftOutWhateverTheirCaseAndValue) {
    const wchar_t* arguments =
        L"/SL5=\"$2A0B4,6094336,119296,C:\\Setup Dir\\setup.exe\" /spawnwnd=$1F0A /NotifyWnd=$3 /LOG "
        L"/log=\"C:\\old log.txt\" /LOGGING keep1 /LumLogFile=C:\\x.log /LUMLOGWAIT=4242 \"/SL5\" /lumlogwait=1 "
        L"/SUPPRESSMSGBOXES \"/Dir=C:\\LOG\"";
    ASSERT_EQ(Run(arguments, LogPath().c_str()), 0u);
    const Echo echo = Read();
    ASSERT_TRUE(echo.written);
    const std::vector<std::wstring> expected = {program_, L"keep1", L"/SL5", L"/SUPPRESSMSGBOXES", L"/Dir=C:\\LOG",
                                                L"/LOG=" + LogPath()};
    EXPECT_EQ(echo.argv, expected);
    // The one logging switch is the one added at the end.
    EXPECT_EQ(echo.commandLine.find(L"/LOG"), echo.commandLine.rfind(L" /LOG=\"") + 1);
}

TEST_F(RelaunchTest, WithoutALogFileTheLogGoesToTheTemporaryFolder) {
    // A temporary folder with a blank in it, so the quoting shows as well.
    const std::wstring temp = dir_ / L"temp with blank";
    ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
    ScopedEnv tmp(L"TMP", temp);
    ScopedEnv tempVar(L"TEMP", temp);
    const std::wstring expectedLog = temp + L"\\Lumora-install.log";
    for (const wchar_t* logFile : {static_cast<const wchar_t*>(nullptr), L""}) {
        ::DeleteFileW(EchoPath().c_str());
        ASSERT_EQ(Run(L"a /LOG=C:\\ignored.log", logFile), 0u);
        const Echo echo = Read();
        ASSERT_TRUE(echo.written);
        EXPECT_EQ(echo.commandLine, L"\"" + program_ + L"\" \"a\" /LOG=\"" + expectedLog + L"\"");
        EXPECT_EQ(echo.argv.back(), L"/LOG=" + expectedLog);
    }
}

TEST_F(RelaunchTest, NoArgumentsGiveTheProgramAndTheLogSwitchAlone) {
    for (const wchar_t* arguments : {static_cast<const wchar_t*>(nullptr), L"", L"  \t ", L"/LOG /SL5=x"}) {
        ::DeleteFileW(EchoPath().c_str());
        ASSERT_EQ(Run(arguments, LogPath().c_str()), 0u);
        const Echo echo = Read();
        ASSERT_TRUE(echo.written);
        EXPECT_EQ(echo.commandLine, L"\"" + program_ + L"\" /LOG=\"" + LogPath() + L"\"");
        EXPECT_EQ(echo.argv.size(), 2u);
    }
}

TEST_F(RelaunchTest, TheExitCodeComesBack) {
    for (const wchar_t* code : {L"0", L"1", L"42", L"1460", L"3221225477", L"4294967295"}) {
        ScopedEnv exitCode(L"LUMFIXTURE_EXIT_CODE", code);
        EXPECT_EQ(Run(L"x", LogPath().c_str()), std::wcstoul(code, nullptr, 10)) << lumtest::Utf8(code);
    }
}

TEST_F(RelaunchTest, AProcessThatHasEndedDoesNotDelayTheRelaunch) {
    // Still held open here, so its id cannot be reused: OpenProcess succeeds
    // and the wait returns at once.
    HeldProcess ended;
    ended.Release();
    ASSERT_TRUE(ended.pid() != 0);
    for (int i = 0; i < 500 && ended.Running(); ++i) ::Sleep(20);
    ASSERT_FALSE(ended.Running());
    ScopedEnv peer(L"LUMFIXTURE_PEER_PID", std::to_wstring(ended.pid()));
    const auto start = Clock::now();
    EXPECT_EQ(Run(L"x", LogPath().c_str(), ended.pid()), 0u);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(15));
    EXPECT_EQ(Read().peer, L"ended");
}

TEST_F(RelaunchTest, AProcessIdThatNoLongerExistsIsNotWaitedFor) {
    // OpenProcess fails with ERROR_INVALID_PARAMETER for ids that name no
    // process; the relaunch goes on.
    const auto start = Clock::now();
    EXPECT_EQ(Run(L"x", LogPath().c_str(), 0xFFFFFFFCu), 0u);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(15));
    EXPECT_TRUE(Read().written);
}

TEST_F(RelaunchTest, ARunningProcessIsWaitedForBeforeTheRelaunch) {
    HeldProcess running;
    ASSERT_TRUE(running.Running());
    ScopedEnv peer(L"LUMFIXTURE_PEER_PID", std::to_wstring(running.pid()));
    ScopedEnv exitCode(L"LUMFIXTURE_EXIT_CODE", L"7");
    auto result = std::async(std::launch::async, [&] { return Run(L"waited", LogPath().c_str(), running.pid()); });
    // While the process runs, nothing is started.
    EXPECT_FALSE(AppearsWithin(EchoPath(), std::chrono::milliseconds(1500)));
    EXPECT_EQ(result.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    running.Release();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(25)), std::future_status::ready);
    EXPECT_EQ(result.get(), 7u);
    const Echo echo = Read();
    ASSERT_TRUE(echo.written);
    // Seen by the relaunched program itself: the process had ended before it started.
    EXPECT_EQ(echo.peer, L"ended");
    EXPECT_EQ(echo.argv.at(1), L"waited");
}

// The only slow test: the wait for the other process gives up after 30 s.
TEST_F(RelaunchTest, AProcessStillRunningAfterThirtySecondsStartsNothing) {
    HeldProcess stuck;
    ASSERT_TRUE(stuck.Running());
    const auto start = Clock::now();
    EXPECT_EQ(Run(L"x", LogPath().c_str(), stuck.pid()), static_cast<uint32_t>(ERROR_TIMEOUT));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::seconds(29));
    EXPECT_LT(waited, std::chrono::seconds(60));
    EXPECT_TRUE(stuck.Running());
    EXPECT_FALSE(FileExists(EchoPath()));
}

TEST_F(RelaunchTest, AProgramThatCannotBeStartedGivesTheErrorOfCreateProcess) {
    const std::wstring missingFile = dir_ / L"missing-setup.exe";
    EXPECT_EQ(Dll().RunLogged(missingFile.c_str(), L"x", LogPath().c_str(), 0), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    const std::wstring missingFolder = dir_ / L"no such folder\\setup.exe";
    EXPECT_EQ(Dll().RunLogged(missingFolder.c_str(), L"x", LogPath().c_str(), 0), static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FileExists(EchoPath()));
}

TEST_F(RelaunchTest, ANullOrEmptyProgramFailsAtOnceWithoutWaiting) {
    HeldProcess running;
    const auto start = Clock::now();
    EXPECT_EQ(Dll().RunLogged(nullptr, L"x", LogPath().c_str(), running.pid()), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Dll().RunLogged(L"", nullptr, nullptr, running.pid()), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Dll().RunLogged(nullptr, nullptr, nullptr, 0), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(15));
    EXPECT_TRUE(running.Running());
}

TEST_F(RelaunchTest, AnUnusableTemporaryFolderGivesBadPathnameEvenWithALogFile) {
    // Longer than any path the system takes for its temporary folder.
    const std::wstring tooLong = L"C:\\" + std::wstring(32000, L't');
    ScopedEnv tmp(L"TMP", tooLong);
    ScopedEnv temp(L"TEMP", tooLong);
    ScopedEnv profile(L"USERPROFILE", tooLong);
    EXPECT_EQ(Run(L"x", LogPath().c_str()), static_cast<uint32_t>(ERROR_BAD_PATHNAME));
    EXPECT_EQ(Run(L"x", nullptr), static_cast<uint32_t>(ERROR_BAD_PATHNAME));
    EXPECT_FALSE(FileExists(EchoPath()));
}

TEST_F(RelaunchTest, ACommandLineLongerThanWindowsTakesIsRefused) {
    // 40,000 characters of arguments: Windows' limit is 32,767 with the terminator.
    const std::wstring arguments = std::wstring(20000, L'a') + L" " + std::wstring(20000, L'b');
    EXPECT_EQ(Run(arguments.c_str(), LogPath().c_str()), static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(FileExists(EchoPath()));
    const std::wstring longPath = L"C:\\" + std::wstring(40000, L'p');
    EXPECT_EQ(Run(L"x", longPath.c_str()), static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(Dll().RunLogged(longPath.c_str(), nullptr, nullptr, 0), static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(FileExists(EchoPath()));
    // Left-out switches do not count: the same length made of "/LOG" tokens fits.
    std::wstring switches;
    for (int i = 0; i < 8000; ++i) switches += L"/LOG ";
    EXPECT_EQ(Run(switches.c_str(), LogPath().c_str()), 0u);
    EXPECT_EQ(Read().argv.size(), 2u);
}
