#include "base/error_text.h"

#include <windows.h>

#include "base/scoped_win.h"

namespace lum {

std::wstring FormatErrorText(uint32_t code) {
    std::wstring text = std::to_wstring(code);
    wchar_t* message = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    const UniqueLocalMem owner(message);
    if (message) {
        text += L" (";
        text.append(message, length);
        text += L")";
    }
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    return text;
}

}  // namespace lum
