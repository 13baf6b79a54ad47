// LumUI_RunLogged as a setup program calls it: the relaunched program is the
// echo fixture, which records the command line it received, how it splits,
// and whether the process it was told to watch had ended when it started.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "test_support.h"

using lumtest::Dll;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;
using Tokens = std::vector<std::wstring>;

std::wstring Fixture() { return lumtest::ExeDir() + L"lumfixture_echo.exe"; }
bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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

// What the relaunched fixture recorded; all empty when it wrote nothing.
struct Echo {
    std::wstring peer;         // "none", "running", "ended" or "gone"
    std::wstring commandLine;  // GetCommandLineW
    Tokens argv;               // CommandLineToArgvW of it, program included
};

// Takes the fixture's record and removes it, so that the next run starts clean.
Echo TakeEcho(const std::wstring& path) {
    const std::string bytes = lumtest::ReadFileBytes(path);
    ::DeleteFileW(path.c_str());
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    Tokens fields;
    for (size_t start = 0, end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
        fields.push_back(text.substr(start, end - start));
    }
    if (fields.size() < 2) return {};
    return {fields[0], fields[1], Tokens(fields.begin() + 2, fields.end())};
}

// A fixture process that runs until Finish() or the end of the scope.
class HeldProcess {
public:
    HeldProcess() {
        static unsigned counter = 0;
        const std::wstring name =
            L"lumtest-hold-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        event_.reset(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
        ScopedEnv hold(L"LUMFIXTURE_HOLD_EVENT", name);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        EXPECT_TRUE(::CreateProcessW(Fixture().c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &info)) << "the held fixture: " << ::GetLastError();
        lum::UniqueHandle(info.hThread).reset();
        process_.reset(info.hProcess);
        pid_ = info.dwProcessId;
    }
    ~HeldProcess() { Finish(); }

    DWORD pid() const { return pid_; }
    bool Running() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    // Lets the process end; true once it has.
    bool Finish() {
        if (event_) ::SetEvent(event_.get());
        return process_ && ::WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0;
    }

private:
    lum::UniqueHandle event_, process_;
    DWORD pid_ = 0;
};

// One relaunch scenario: a fresh folder, the fixture told where to write.
class RelaunchTest : public ::testing::Test {
protected:
    std::wstring EchoPath() const { return dir_ / L"echo.bin"; }
    std::wstring LogPath() const { return dir_ / L"relaunch log.txt"; }
    Echo Read() const { return TakeEcho(EchoPath()); }
    uint32_t Run(const wchar_t* arguments, const wchar_t* logFile, uint32_t waitPid = 0) {
        return Dll().RunLogged(program_.c_str(), arguments, logFile, waitPid);
    }

    lumtest::TempDir dir_;
    std::wstring program_ = Fixture();
    ScopedEnv echoOut_{L"LUMFIXTURE_ECHO_OUT", dir_ / L"echo.bin"};
    ScopedEnv exitCode_{L"LUMFIXTURE_EXIT_CODE", L"0"};
    ScopedEnv hold_{L"LUMFIXTURE_HOLD_EVENT", std::nullopt};
    ScopedEnv peer_{L"LUMFIXTURE_PEER_PID", std::nullopt};
};

}  // namespace

TEST_F(RelaunchTest, TokensArriveExactlyAsTheRunningSetupHadThem) {
    // The running setup's own argument text, written the ways people and
    // programs write command lines (bare, quoted, escaped, half-quoted).
    const std::wstring arguments =
        L"plain \"with blank\" emb\\\"edded \"trail\\\\\" in\\side \"\" \"tab\there\" half\" quoted\" "
        L"\x4E2D\x6587 C:\\dir\\ \"\\\\server\\share\\\\\"";
    ASSERT_EQ(Run(arguments.c_str(), LogPath().c_str()), 0u);
    const Echo echo = Read();
    const Tokens expected = {program_,     L"plain",   L"with blank", L"emb\"edded",  L"trail\\",
                             L"in\\side",  L"",        L"tab\there",  L"half quoted", L"\x4E2D\x6587",
                             L"C:\\dir\\", L"\\\\server\\share\\",    L"/LOG=" + LogPath()};
    EXPECT_EQ(echo.argv, expected);
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
    const Tokens expected = {program_, L"keep1", L"/SL5", L"/SUPPRESSMSGBOXES", L"/Dir=C:\\LOG", L"/LOG=" + LogPath()};
    EXPECT_EQ(echo.argv, expected);
    // The one logging switch is the one added at the end.
    EXPECT_EQ(echo.commandLine.find(L"/LOG"), echo.commandLine.rfind(L" /LOG=\"") + 1);
}

TEST_F(RelaunchTest, WithoutALogFileTheLogGoesToTheTemporaryFolder) {
    // A temporary folder with a blank in it, so the quoting shows as well.
    const std::wstring temp = dir_ / L"temp with blank";
    ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
    ScopedEnv tmp(L"TMP", temp), tempVar(L"TEMP", temp);
    for (const wchar_t* logFile : {static_cast<const wchar_t*>(nullptr), L""}) {
        ASSERT_EQ(Run(L"a /LOG=C:\\ignored.log", logFile), 0u);
        EXPECT_EQ(Read().commandLine, L"\"" + program_ + L"\" \"a\" /LOG=\"" + temp + L"\\Lumora-install.log\"");
    }
}

TEST_F(RelaunchTest, NoArgumentsGiveTheProgramAndTheLogSwitchAlone) {
    for (const wchar_t* arguments : {static_cast<const wchar_t*>(nullptr), L"", L"  \t ", L"/LOG /SL5=x"}) {
        ASSERT_EQ(Run(arguments, LogPath().c_str()), 0u);
        EXPECT_EQ(Read().commandLine, L"\"" + program_ + L"\" /LOG=\"" + LogPath() + L"\"");
    }
    // A log path that ends in a backslash still closes its quote.
    ASSERT_EQ(Run(nullptr, L"C:\\logs\\"), 0u);
    EXPECT_EQ(Read().argv, (Tokens{program_, L"/LOG=C:\\logs\\"}));
}

TEST_F(RelaunchTest, TheExitCodeComesBack) {
    for (const wchar_t* code : {L"1", L"42", L"3221225477", L"4294967295"}) {
        ScopedEnv exitCode(L"LUMFIXTURE_EXIT_CODE", code);
        EXPECT_EQ(Run(L"x", LogPath().c_str()), std::wcstoul(code, nullptr, 10)) << lumtest::Utf8(code);
    }
}

TEST_F(RelaunchTest, AProcessThatHasEndedOrIsGoneDoesNotDelayTheRelaunch) {
    // Still held open here, so its id cannot be reused: OpenProcess succeeds
    // and the wait returns at once. 0xFFFFFFFC names no process at all:
    // OpenProcess fails with ERROR_INVALID_PARAMETER and the relaunch goes on.
    HeldProcess ended;
    ASSERT_TRUE(ended.Finish());
    ScopedEnv peer(L"LUMFIXTURE_PEER_PID", std::to_wstring(ended.pid()));
    for (const uint32_t pid : {static_cast<uint32_t>(ended.pid()), 0xFFFFFFFCu}) {
        const auto start = Clock::now();
        EXPECT_EQ(Run(L"x", LogPath().c_str(), pid), 0u);
        EXPECT_LT(Clock::now() - start, 15s);
        EXPECT_EQ(Read().peer, L"ended");
    }
}

TEST_F(RelaunchTest, ARunningProcessIsWaitedForBeforeTheRelaunch) {
    HeldProcess running;
    ASSERT_TRUE(running.Running());
    ScopedEnv peer(L"LUMFIXTURE_PEER_PID", std::to_wstring(running.pid()));
    ScopedEnv exitCode(L"LUMFIXTURE_EXIT_CODE", L"7");
    auto result = std::async(std::launch::async, [&] { return Run(L"waited", LogPath().c_str(), running.pid()); });
    EXPECT_EQ(result.wait_for(1500ms), std::future_status::timeout) << "nothing is started while it runs";
    EXPECT_FALSE(FileExists(EchoPath()));
    ASSERT_TRUE(running.Finish());
    ASSERT_EQ(result.wait_for(25s), std::future_status::ready);
    EXPECT_EQ(result.get(), 7u);
    const Echo echo = Read();
    // Seen by the relaunched program itself: the process had ended before it started.
    EXPECT_EQ(echo.peer, L"ended");
    EXPECT_EQ(echo.argv, (Tokens{program_, L"waited", L"/LOG=" + LogPath()}));
}

// The only slow test: the wait for the other process gives up after 30 s.
TEST_F(RelaunchTest, AProcessStillRunningAfterThirtySecondsStartsNothing) {
    HeldProcess stuck;
    ASSERT_TRUE(stuck.Running());
    const auto start = Clock::now();
    EXPECT_EQ(Run(L"x", LogPath().c_str(), stuck.pid()), static_cast<uint32_t>(ERROR_TIMEOUT));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 29s);
    EXPECT_LT(waited, 60s);
    EXPECT_TRUE(stuck.Running());
    EXPECT_FALSE(FileExists(EchoPath()));
}

TEST_F(RelaunchTest, AProgramThatCannotBeStartedGivesTheErrorOfCreateProcess) {
    HeldProcess running;  // a null or empty program fails without waiting for it
    const auto start = Clock::now();
    EXPECT_EQ(Dll().RunLogged(nullptr, L"x", LogPath().c_str(), running.pid()), uint32_t{ERROR_INVALID_PARAMETER});
    EXPECT_EQ(Dll().RunLogged(L"", nullptr, nullptr, running.pid()), uint32_t{ERROR_INVALID_PARAMETER});
    EXPECT_LT(Clock::now() - start, 15s);
    EXPECT_TRUE(running.Running());
    const std::wstring missingFile = dir_ / L"missing-setup.exe", missingFolder = dir_ / L"no such folder\\setup.exe";
    EXPECT_EQ(Dll().RunLogged(missingFile.c_str(), L"x", LogPath().c_str(), 0), uint32_t{ERROR_FILE_NOT_FOUND});
    EXPECT_EQ(Dll().RunLogged(missingFolder.c_str(), L"x", LogPath().c_str(), 0), uint32_t{ERROR_PATH_NOT_FOUND});
    EXPECT_FALSE(FileExists(EchoPath()));
}

TEST_F(RelaunchTest, AnUnusableTemporaryFolderOrATooLongCommandLineStartsNothing) {
    // 40,000 characters of arguments, log path or program: Windows' limit is 32,767 with the terminator.
    const std::wstring arguments = std::wstring(20000, L'a') + L" " + std::wstring(20000, L'b');
    const std::wstring longPath = L"C:\\" + std::wstring(40000, L'p');
    EXPECT_EQ(Run(arguments.c_str(), LogPath().c_str()), uint32_t{ERROR_FILENAME_EXCED_RANGE});
    EXPECT_EQ(Run(L"x", longPath.c_str()), uint32_t{ERROR_FILENAME_EXCED_RANGE});
    EXPECT_EQ(Dll().RunLogged(longPath.c_str(), nullptr, nullptr, 0), uint32_t{ERROR_FILENAME_EXCED_RANGE});
    {
        // Longer than any path the system takes for its temporary folder: even with a log file given.
        const std::wstring tooLong = L"C:\\" + std::wstring(32000, L't');
        ScopedEnv tmp(L"TMP", tooLong), temp(L"TEMP", tooLong), profile(L"USERPROFILE", tooLong);
        EXPECT_EQ(Run(L"x", LogPath().c_str()), uint32_t{ERROR_BAD_PATHNAME});
        EXPECT_EQ(Run(L"x", nullptr), uint32_t{ERROR_BAD_PATHNAME});
    }
    EXPECT_FALSE(FileExists(EchoPath()));
    // Left-out switches do not count: the same length made of "/LOG" tokens fits.
    std::wstring switches;
    for (int i = 0; i < 8000; ++i) switches += L"/LOG ";
    EXPECT_EQ(Run(switches.c_str(), LogPath().c_str()), 0u);
    EXPECT_EQ(Read().argv, (Tokens{program_, L"/LOG=" + LogPath()}));
}
