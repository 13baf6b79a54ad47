// Quoting and switch filtering of the relaunch command line, checked against
// the real CommandLineToArgvW that the relaunched setup splits it with.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "log/command_line.h"
#include "test_support.h"

namespace {

// Every token CommandLineToArgvW finds in `line`, the program name included.
std::vector<std::wstring> Split(const std::wstring& line) {
    int count = 0;
    wchar_t** tokens = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> out;
    if (!tokens) {
        ADD_FAILURE() << "CommandLineToArgvW failed: " << ::GetLastError();
        return out;
    }
    for (int i = 0; i < count; ++i) out.emplace_back(tokens[i]);
    ::LocalFree(tokens);
    return out;
}

// Splits quoted tokens the way the relaunched setup does: after a program name.
std::vector<std::wstring> RoundTrip(const std::vector<std::wstring>& tokens) {
    std::wstring line = L"setup";
    for (const auto& token : tokens) {
        line.push_back(L' ');
        lum::AppendQuotedArgument(line, token);
    }
    std::vector<std::wstring> split = Split(line);
    if (!split.empty()) split.erase(split.begin());
    return split;
}

}  // namespace

TEST(QuoteArgument, QuotesEveryTokenAndEscapesOnlyBeforeQuotes) {
    EXPECT_EQ(lum::QuoteArgument(L"plain"), L"\"plain\"");
    EXPECT_EQ(lum::QuoteArgument(L""), L"\"\"");
    EXPECT_EQ(lum::QuoteArgument(L"with blank"), L"\"with blank\"");
    EXPECT_EQ(lum::QuoteArgument(L"a\"b"), L"\"a\\\"b\"");
    EXPECT_EQ(lum::QuoteArgument(L"trail\\"), L"\"trail\\\\\"");
    EXPECT_EQ(lum::QuoteArgument(L"C:\\Program Files\\Lumora"), L"\"C:\\Program Files\\Lumora\"");
    // Two backslashes before a quote: four, then the escaped quote.
    EXPECT_EQ(lum::QuoteArgument(L"a\\\\\"b"), L"\"a\\\\\\\\\\\"b\"");
    EXPECT_EQ(lum::QuoteArgument(L"\\\\server\\"), L"\"\\\\server\\\\\"");
    EXPECT_EQ(lum::QuoteArgument(L"\""), L"\"\\\"\"");
}

TEST(QuoteArgument, HandPickedTokensSurviveCommandLineToArgvW) {
    const std::vector<std::wstring> tokens = {
        L"plain", L"", L"with blank", L"tab\there", L"emb\"edded", L"\"", L"\"\"", L"trail\\", L"\\\\",
        L"in\\side", L"\\\"", L"a\\\\\"b\\\\", L"\x4E2D\x6587", L"\xD83D\xDE00", L" ", L"/LOG=x", L"", L"end",
    };
    EXPECT_EQ(RoundTrip(tokens), tokens);
}

// Random token lists from the characters that matter to the splitter, plus
// ordinary and non-ASCII letters; the fixed seed makes any failure repeatable.
TEST(QuoteArgument, RandomTokenListsSurviveCommandLineToArgvW) {
    const std::wstring alphabet = L"ab \t\"\\\\\\\"/=:.\x00E9\x4E2D\xD83D\xDE00\x00A0\x3000";
    std::mt19937 random(20261205u);
    std::uniform_int_distribution<int> tokenCount(0, 8);
    std::uniform_int_distribution<int> tokenLength(0, 12);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        std::vector<std::wstring> tokens(static_cast<size_t>(tokenCount(random)));
        for (auto& token : tokens) {
            const int length = tokenLength(random);
            for (int i = 0; i < length; ++i) token.push_back(alphabet[pick(random)]);
        }
        const auto split = RoundTrip(tokens);
        ASSERT_EQ(split, tokens) << "round " << round;
    }
}

TEST(RelaunchSwitches, EverySetupAndRelaunchSwitchIsDroppedInAnyCase) {
    for (const wchar_t* token :
         {L"/SL5=$1C0A,123,456", L"/sl5=", L"/Sl5=x", L"/SPAWNWND=$1234", L"/spawnwnd=", L"/NOTIFYWND=$99",
          L"/notifyWnd=0", L"/LOG", L"/log", L"/LOG=C:\\old.log", L"/Log=\"q\"", L"/LOGFILE", L"/logx=1",
          L"/LUMLOGFILE=C:\\x.log", L"/lumlogfile=", L"/LUMLOGWAIT=4242", L"/LumLogWait=abc"}) {
        EXPECT_TRUE(lum::IsRelaunchDroppedSwitch(token)) << lum::QuoteArgument(token).c_str();
    }
}

TEST(RelaunchSwitches, TokensThatOnlyLookAlikeAreKept) {
    for (const wchar_t* token :
         {L"", L"/", L"/LO", L"/SL5", L"/SL5x", L"SL5=", L"-SL5=", L" /LOG", L"\\LOG", L"/SPAWNWND", L"/NOTIFYWND",
          L"/LUMLOGFILE", L"/LUMLOGWAIT", L"/LUMLOG=", L"/SILENT", L"/DIR=C:\\LOG", L"x/LOG",
          // Only ASCII letters fold: the long s is not an "S" and the dotted
          // capital I is not an "I" to the setup program either.
          L"/\x017FL5=", L"/NOT\x0130" L"FYWND=", L"/\xFF2C\xFF2F\xFF27"}) {
        EXPECT_FALSE(lum::IsRelaunchDroppedSwitch(token)) << lum::QuoteArgument(token).c_str();
    }
}

TEST(RelaunchCommandLine, QuotedProgramKeptTokensAndOneLogSwitchAtTheEnd) {
    const std::vector<std::wstring_view> arguments = {L"/SL5=$1,2", L"/DIR=C:\\Program Files\\Lumora", L"/log",
                                                      L"", L"/LOG=old.log", L"trail\\", L"/LUMLOGWAIT=12"};
    const std::wstring line =
        lum::BuildRelaunchCommandLine(L"C:\\Setup Dir\\setup.exe", arguments, L"C:\\Logs\\new log.txt");
    EXPECT_EQ(line,
              L"\"C:\\Setup Dir\\setup.exe\" \"/DIR=C:\\Program Files\\Lumora\" \"\" \"trail\\\\\" "
              L"/LOG=\"C:\\Logs\\new log.txt\"");
    const std::vector<std::wstring> expected = {L"C:\\Setup Dir\\setup.exe", L"/DIR=C:\\Program Files\\Lumora", L"",
                                                L"trail\\", L"/LOG=C:\\Logs\\new log.txt"};
    EXPECT_EQ(Split(line), expected);
}

TEST(RelaunchCommandLine, NoArgumentsGiveProgramAndLogSwitchAlone) {
    EXPECT_EQ(lum::BuildRelaunchCommandLine(L"C:\\s.exe", {}, L"C:\\l.log"), L"\"C:\\s.exe\" /LOG=\"C:\\l.log\"");
    // A log path that ends in a backslash still closes its quote.
    EXPECT_EQ(lum::BuildRelaunchCommandLine(L"C:\\s.exe", {L"/LOG"}, L"C:\\logs\\"),
              L"\"C:\\s.exe\" /LOG=\"C:\\logs\\\\\"");
    EXPECT_EQ(Split(L"\"C:\\s.exe\" /LOG=\"C:\\logs\\\\\"").back(), L"/LOG=C:\\logs\\");
}
