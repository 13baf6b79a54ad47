// One hook through which failed Windows calls and stopped exceptions reach the
// native log. Each distinct failure is reported once per process, so a call
// that fails on every frame does not flood the setup's log.
#pragma once

#include <cstdint>
#include <string>

namespace lum {

// Receives one finished log message. The log layer installs it when the
// library is loaded; without a sink, failures are only counted.
using FailureSink = void (*)(const std::wstring& message);
void SetFailureSink(FailureSink sink) noexcept;

// "Call failed call=<call> error=<FormatErrorText(code)>", once per call and code.
// For HRESULTs and Win32 error codes alike.
void ReportFailedCall(const char* call, uint32_t code) noexcept;

// "Export failed export=<name> exception=<what>", once per export and text.
void ReportStoppedException(const char* exportName, const char* what) noexcept;

// "Export refused; export=<name> thread=<id> ownerThread=<id>": a call from a
// second thread while another is inside (base/export_gate.h).
void ReportRefusedThread(const char* exportName, uint32_t thread, uint32_t owner) noexcept;

// Checks an HRESULT: true when it succeeded, else reports the call and returns false.
inline bool Succeeded(long hr, const char* call) noexcept {
    if (hr >= 0) return true;
    ReportFailedCall(call, static_cast<uint32_t>(hr));
    return false;
}

}  // namespace lum
