// The logged relaunch: LumUI_RunLogged as a setup program calls it, relaunching the fixture, which records the
// command line it got and how it splits; and the quoting against the real CommandLineToArgvW.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <random>

#include "log/command_line.h"
#include "test_support.h"

using lumtest::Dll;
using Tokens = std::vector<std::wstring>;
using namespace std::chrono_literals;

namespace {

const std::wstring kProgram = lumtest::ExeDir() + L"lumfixture_app.exe";

struct ScopedEnv {  // an environment variable set for one scope; the relaunched program inherits it
    ScopedEnv(std::wstring variable, const std::wstring& value) : name(std::move(variable)) {
        std::wstring old(32768, L'\0');
        const DWORD n = ::GetEnvironmentVariableW(name.c_str(), old.data(), 32768);
        if (n > 0 && n < 32768) previous = old.substr(0, n);
        ::SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
    ~ScopedEnv() { ::SetEnvironmentVariableW(name.c_str(), previous ? previous->c_str() : nullptr); }
    std::wstring name;
    std::optional<std::wstring> previous;
};

lumtest::Child StartHeld(const lumtest::NamedEvent& hold) {
    ScopedEnv env(L"LUMFIXTURE_HOLD_EVENT", hold.name);
    return lumtest::Child(kProgram, {});
}

struct HeldProcess {  // the fixture, running until Finish() or the end of the scope
    lumtest::NamedEvent hold;
    lumtest::Child child = StartHeld(hold);
    bool Finish() const { return ::SetEvent(hold.event), child.WaitExit(10000); }
};

class RelaunchTest : public ::testing::Test {
protected:
    // What the fixture recorded: its command line, then its tokens; taken, so the next run starts clean.
    Tokens Echo() const {
        const std::string bytes = lumtest::ReadFileBytes(dir_ / L"echo.bin");
        const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        ::DeleteFileW((dir_ / L"echo.bin").c_str());
        Tokens fields;
        for (size_t start = 0, end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
            fields.push_back(text.substr(start, end - start));
        }
        return fields;
    }
    Tokens Argv() const {
        const Tokens fields = Echo();
        return fields.empty() ? fields : Tokens(fields.begin() + 1, fields.end());
    }
    uint32_t Run(const wchar_t* arguments, const wchar_t* logFile, uint32_t waitPid = 0) {
        return Dll().RunLogged(kProgram.c_str(), arguments, logFile, waitPid);
    }
    lumtest::TempDir dir_;
    const std::wstring log_ = dir_ / L"relaunch log.txt";
    ScopedEnv echo_{L"LUMFIXTURE_ECHO_OUT", dir_ / L"echo.bin"}, exitCode_{L"LUMFIXTURE_EXIT_CODE", L"0"};
};

}  // namespace

// Random token lists from the characters that matter to the splitter; the fixed seed makes a failure repeatable.
TEST(QuoteArgument, RandomTokenListsSurviveCommandLineToArgvW) {
    const std::wstring alphabet = L"ab \t\"\\\\\\\"/=:.\x00E9\x4E2D\xD83D\xDE00\x00A0\x3000";
    std::mt19937 random(20261205u);
    std::uniform_int_distribution<int> tokenCount(0, 8), tokenLength(0, 12);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        Tokens tokens(static_cast<size_t>(tokenCount(random)));
        std::wstring line = L"setup";
        for (auto& token : tokens) {
            for (int i = tokenLength(random); i > 0; --i) token.push_back(alphabet[pick(random)]);
            lum::AppendQuotedArgument(line += L' ', token);
        }
        int count = 0;
        wchar_t** split = ::CommandLineToArgvW(line.c_str(), &count);
        ASSERT_EQ(Tokens(split + 1, split + count), tokens) << "round " << round;
        ::LocalFree(split);
    }
}

TEST_F(RelaunchTest, TokensArriveAsTheRunningSetupHadThemWithoutItsOwnSwitches) {
    const std::wstring arguments =
        L"plain \"with blank\" emb\\\"edded \"trail\\\\\" in\\side \"\" \"tab\there\" half\" quoted\" "
        L"\x4E2D\x6587 C:\\dir\\ \"\\\\server\\share\\\\\"";
    ASSERT_EQ(Run(arguments.c_str(), log_.c_str()), 0u);
    EXPECT_EQ(Echo(), (Tokens{L"\"" + kProgram + L"\" \"plain\" \"with blank\" \"emb\\\"edded\" \"trail\\\\\" \"in\\side\" "
                              L"\"\" \"tab\there\" \"half quoted\" \"\x4E2D\x6587\" \"C:\\dir\\\\\" \"\\\\server\\share\\\\\" "
                              L"/LOG=\"" + log_ + L"\"",
                              kProgram, L"plain", L"with blank", L"emb\"edded", L"trail\\", L"in\\side", L"",
                              L"tab\there", L"half quoted", L"\x4E2D\x6587", L"C:\\dir\\", L"\\\\server\\share\\",
                              L"/LOG=" + log_}));
    // Setup and relaunch switches go, in any case; look-alikes stay (only ASCII letters fold: not the long s,
    // the dotted capital I or full-width letters).
    ASSERT_EQ(Run(L"/SL5=\"$2A0B4,6094336,119296,C:\\Setup Dir\\setup.exe\" /spawnwnd=$1F0A /NotifyWnd=$3 /LOG "
                  L"/log=\"C:\\old log.txt\" /LOGGING keep /LumLogFile=C:\\x.log /LUMLOGWAIT=4242 /lumlogwait=1 "
                  L"\"/SL5\" /SL5x SL5= \" /LOG\" /LUMLOG= /SPAWNWND x/LOG \"/Dir=C:\\LOG\" /\x017FL5= /NOT\x0130" L"FYWND= "
                  L"/\xFF2C\xFF2F\xFF27", log_.c_str()), 0u);
    EXPECT_EQ(Argv(), (Tokens{kProgram, L"keep", L"/SL5", L"/SL5x", L"SL5=", L" /LOG", L"/LUMLOG=", L"/SPAWNWND",
                              L"x/LOG", L"/Dir=C:\\LOG", L"/\x017FL5=", L"/NOT\x0130" L"FYWND=", L"/\xFF2C\xFF2F\xFF27",
                              L"/LOG=" + log_}));
}

TEST_F(RelaunchTest, ARunningProcessIsWaitedForAndAnEndedOrMissingOneIsNot) {
    HeldProcess ended;
    ASSERT_TRUE(ended.Finish());  // still held open here, so its id cannot be reused
    for (const uint32_t pid : {static_cast<uint32_t>(ended.child.pid), 0xFFFFFFFCu}) {  // the second names none
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(L"x", log_.c_str(), pid), 0u);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
        EXPECT_EQ(Argv(), (Tokens{kProgram, L"x", L"/LOG=" + log_}));
    }
    HeldProcess running;
    ScopedEnv code(L"LUMFIXTURE_EXIT_CODE", L"4294967295");
    auto result = std::async(std::launch::async, [&] { return Run(L"waited", log_.c_str(), running.child.pid); });
    EXPECT_EQ(result.wait_for(1500ms), std::future_status::timeout);
    EXPECT_TRUE(Echo().empty()) << "nothing is started while it runs";
    ASSERT_TRUE(running.Finish());
    ASSERT_EQ(result.wait_for(25s), std::future_status::ready);
    EXPECT_EQ(result.get(), 4294967295u) << "the relaunched setup's exit code";
    EXPECT_EQ(Argv(), (Tokens{kProgram, L"waited", L"/LOG=" + log_}));
    const std::wstring temp = dir_ / L"temp with blank";  // without a log file the log goes to the temporary folder
    ScopedEnv tmp(L"TMP", temp), tempVar(L"TEMP", temp);
    EXPECT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr) && Run(L"/LOG=C:\\ignored.log", L"") == 4294967295u);
    EXPECT_EQ(Argv(), (Tokens{kProgram, L"/LOG=" + temp + L"\\Lumora-install.log"}));
}

// The only slow test: the wait for the other process gives up after 30 s.
TEST_F(RelaunchTest, AProcessStillRunningAfterThirtySecondsStartsNothing) {
    HeldProcess stuck;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(L"x", log_.c_str(), stuck.child.pid), uint32_t{ERROR_TIMEOUT});
    EXPECT_GE(std::chrono::steady_clock::now() - start, 29s);
    EXPECT_FALSE(stuck.child.WaitExit(0));
    EXPECT_TRUE(Echo().empty());
}

TEST_F(RelaunchTest, WhatCannotBeStartedGivesAWindowsErrorAndStartsNothing) {
    HeldProcess running;  // an empty program fails without waiting for it
    EXPECT_EQ(Dll().RunLogged(L"", nullptr, nullptr, running.child.pid), uint32_t{ERROR_INVALID_PARAMETER});
    EXPECT_EQ(Dll().RunLogged((dir_ / L"missing.exe").c_str(), L"x", nullptr, 0), uint32_t{ERROR_FILE_NOT_FOUND});
    // 40,000 characters of arguments, log path or program: the limit is 32,767 with the terminator.
    const std::wstring arguments = std::wstring(20000, L'a') + L" " + std::wstring(20000, L'b');
    const std::wstring longPath = L"C:\\" + std::wstring(40000, L'p');
    EXPECT_EQ(Run(arguments.c_str(), log_.c_str()), uint32_t{ERROR_FILENAME_EXCED_RANGE});
    EXPECT_EQ(Run(L"x", longPath.c_str()), uint32_t{ERROR_FILENAME_EXCED_RANGE});
    EXPECT_EQ(Dll().RunLogged(longPath.c_str(), nullptr, nullptr, 0), uint32_t{ERROR_FILENAME_EXCED_RANGE});
    {
        const std::wstring tooLong = L"C:\\" + std::wstring(32000, L't');  // no usable temporary folder
        ScopedEnv tmp(L"TMP", tooLong), temp(L"TEMP", tooLong), profile(L"USERPROFILE", tooLong);
        EXPECT_EQ(Run(L"x", log_.c_str()), uint32_t{ERROR_BAD_PATHNAME});
    }
    EXPECT_FALSE(running.child.WaitExit(0));
    EXPECT_TRUE(Echo().empty());
}
