#include "shutdown/process_group.h"

#include "shutdown/canonical_path.h"
#include "shutdown/target_refusal.h"

namespace lum {

std::wstring DescribeIdentity(const TrackedIdentity& identity) {
    return L"PID=" + std::to_wstring(identity.processId) + L" parent=" + std::to_wstring(identity.parentId) +
           L" created=" + std::to_wstring(identity.creationTime) + L" path=\"" + identity.path + L"\"";
}

std::wstring ProcessRoot(const std::wstring& canonicalTarget) {
    const size_t slash = canonicalTarget.rfind(L'\\');
    // The backslash of a drive root ("C:\") sits at index 2 and never makes a root.
    if (slash == std::wstring::npos || slash <= 2) return std::wstring();
    return canonicalTarget.substr(0, slash + 1);
}

ProcessGroup::ProcessGroup(const std::wstring& target, LogSink sink, const ProcessApi& processApi)
    : logSink(std::move(sink)), api(processApi) {
    canonicalTarget = CanonicalPath(target);
    Log(L"Process group target=\"" + target + L"\" canonical=\"" + canonicalTarget + L"\"");
    root = AdmissibleProcessRoot(canonicalTarget);
    Log(L"Process group root=\"" + root + L"\"; scope=verified-path-and-descendants; no executable-name matching");
}

}  // namespace lum
