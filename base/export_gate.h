// One thread at a time inside the library.
//
// The exports share the UI state, the drawing caches and the text map without
// locks: a setup calls them from one thread. One that calls from a second
// thread while an export runs (a worker reporting progress, say) gets a
// defined answer instead of a crash: every export that touches shared state
// enters this gate. The gate is recursive for the thread inside, so host
// callbacks that call back into the library and the message loops of the
// modal exports work as before, and it never waits: a call from another
// thread while one is inside gets the export's failure result at once and the
// log line "Export refused; export=<name> thread=<id> ownerThread=<id>", once
// per thread, so that a busy caller cannot flood the log. Waiting instead
// could deadlock against the setup's own locks, and a modal export holds the
// gate for minutes.
//
// While a window exists its thread holds the gate (from LumUI_Create or
// LumUI_Attach to LumUI_Destroy): window procedures then run on the owner,
// also inside the setup's own message loop, and other threads are refused.
#pragma once

namespace lum {

// True when the calling thread is now inside (again); pair with LeaveExportGate.
// False when another thread is inside; the refusal is then reported if it is
// this thread's first.
bool EnterExportGate(const char* exportName) noexcept;
void LeaveExportGate() noexcept;

class ExportGateEntry {
public:
    explicit ExportGateEntry(const char* exportName) noexcept : entered_(EnterExportGate(exportName)) {}
    ~ExportGateEntry() {
        if (entered_) LeaveExportGate();
    }
    ExportGateEntry(const ExportGateEntry&) = delete;
    ExportGateEntry& operator=(const ExportGateEntry&) = delete;
    explicit operator bool() const noexcept { return entered_; }

private:
    bool entered_;
};

}  // namespace lum
