#include "log/command_line.h"

#include <array>

#include "base/ascii.h"

namespace lum {
namespace {

// The setup program matches its switches without regard to the case of ASCII
// letters only.
constexpr std::array<std::wstring_view, 6> kDroppedSwitchPrefixes = {
    L"/SL5=", L"/SPAWNWND=", L"/NOTIFYWND=", L"/LOG", L"/LUMLOGFILE=", L"/LUMLOGWAIT=",
};

}  // namespace

void AppendQuotedArgument(std::wstring& out, std::wstring_view token) {
    // CommandLineToArgvW reads 2n backslashes before a quote as n backslashes
    // and a quote that opens or closes, 2n+1 backslashes before a quote as n
    // backslashes and a literal quote, and backslashes before anything else
    // as themselves. So a run of backslashes is held back until we know what
    // follows it.
    out.push_back(L'"');
    size_t backslashes = 0;
    for (const wchar_t c : token) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        out.push_back(c);
        backslashes = 0;
    }
    // The closing quote follows, so a trailing run is doubled.
    out.append(backslashes * 2, L'\\');
    out.push_back(L'"');
}

std::wstring QuoteArgument(std::wstring_view token) {
    std::wstring out;
    out.reserve(token.size() + 2);
    AppendQuotedArgument(out, token);
    return out;
}

bool IsRelaunchDroppedSwitch(std::wstring_view token) {
    for (const std::wstring_view prefix : kDroppedSwitchPrefixes) {
        if (StartsWithIgnoringAsciiCase(token, prefix)) return true;
    }
    return false;
}

std::wstring BuildRelaunchCommandLine(std::wstring_view program, const std::vector<std::wstring_view>& arguments,
                                      std::wstring_view logFile) {
    std::wstring line;
    AppendQuotedArgument(line, program);
    for (const std::wstring_view argument : arguments) {
        if (IsRelaunchDroppedSwitch(argument)) continue;
        line.push_back(L' ');
        AppendQuotedArgument(line, argument);
    }
    line.append(L" /LOG=");
    AppendQuotedArgument(line, logFile);
    return line;
}

}  // namespace lum
