// Command-line text for the logged relaunch of the setup program: quoting that
// CommandLineToArgvW undoes exactly, and the switches that are not passed on.
// Pure string work, no Windows calls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lum {

// Appends `token` in double quotes so that CommandLineToArgvW, splitting it as
// an argument (not as the program name), gives back exactly `token`. Every
// token is quoted, even plain words; an empty token becomes "".
void AppendQuotedArgument(std::wstring& out, std::wstring_view token);
std::wstring QuoteArgument(std::wstring_view token);

// True for the setup program's own switches ("/SL5=", "/SPAWNWND=",
// "/NOTIFYWND=", anything starting "/LOG") and the relaunch's own
// ("/LUMLOGFILE=", "/LUMLOGWAIT="). Compared over the length of each prefix,
// ignoring the case of ASCII letters; the rest of the token is not looked at.
bool IsRelaunchDroppedSwitch(std::wstring_view token);

// The complete command line of the relaunched setup: the quoted program, one
// blank and the quoted token for every argument that is kept, and finally
// " /LOG=" with the quoted log file. `arguments` holds the running setup's
// arguments without its program name.
std::wstring BuildRelaunchCommandLine(std::wstring_view program, const std::vector<std::wstring_view>& arguments,
                                      std::wstring_view logFile);

}  // namespace lum
