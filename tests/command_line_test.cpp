// Quoting and switch filtering of the relaunch command line, checked against
// the real CommandLineToArgvW that the relaunched setup splits it with.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "log/command_line.h"

namespace {

// Quotes `tokens` after a program name and splits them again as the relaunched setup does.
std::vector<std::wstring> RoundTrip(const std::vector<std::wstring>& tokens) {
    std::wstring line = L"setup";
    for (const auto& token : tokens) {
        line.push_back(L' ');
        lum::AppendQuotedArgument(line, token);
    }
    int count = 0;
    wchar_t** split = ::CommandLineToArgvW(line.c_str(), &count);
    if (!split) {
        ADD_FAILURE() << "CommandLineToArgvW failed: " << ::GetLastError();
        return {};
    }
    std::vector<std::wstring> out(split + 1, split + count);
    ::LocalFree(split);
    return out;
}

}  // namespace

// Random token lists from the characters that matter to the splitter, plus
// ordinary and non-ASCII letters; the fixed seed makes any failure repeatable.
TEST(QuoteArgument, RandomTokenListsSurviveCommandLineToArgvW) {
    const std::wstring alphabet = L"ab \t\"\\\\\\\"/=:.\x00E9\x4E2D\xD83D\xDE00\x00A0\x3000";
    std::mt19937 random(20261205u);
    std::uniform_int_distribution<int> tokenCount(0, 8), tokenLength(0, 12);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        std::vector<std::wstring> tokens(static_cast<size_t>(tokenCount(random)));
        for (auto& token : tokens) {
            for (int i = tokenLength(random); i > 0; --i) token.push_back(alphabet[pick(random)]);
        }
        ASSERT_EQ(RoundTrip(tokens), tokens) << "round " << round;
    }
}

// The switches that are dropped, in any case, are checked through the export;
// these only look like them and must be passed on.
TEST(RelaunchSwitches, TokensThatOnlyLookAlikeAreKept) {
    for (const wchar_t* token :
         {L"", L"/", L"/LO", L"/SL5", L"/SL5x", L"SL5=", L"-SL5=", L" /LOG", L"\\LOG", L"/SPAWNWND", L"/NOTIFYWND",
          L"/LUMLOGFILE", L"/LUMLOGWAIT", L"/LUMLOG=", L"/DIR=C:\\LOG", L"x/LOG",
          // Only ASCII letters fold: the long s is not an "S" and the dotted
          // capital I is not an "I" to the setup program either.
          L"/\x017FL5=", L"/NOT\x0130" L"FYWND=", L"/\xFF2C\xFF2F\xFF27"}) {
        EXPECT_FALSE(lum::IsRelaunchDroppedSwitch(token)) << lum::QuoteArgument(token).c_str();
    }
}
