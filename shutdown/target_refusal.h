// Targets from which no install folder may be derived. A root decides which
// programs are closed, so a mistaken target must never widen it to a folder
// that holds other programs or the user's work.
#pragma once

#include <string>
#include <vector>

namespace lum {

// The root of a canonical target (ProcessRoot), or empty, which makes every
// scan fail with "Invalid process target root", when:
// - the target names an existing folder: "...\Lumora\" would make the parent
//   of the install folder the root;
// - the root is one of the system's shared folders or contains one
//   (SharedFolders): "C:\Program Files\Lumora.exe" would make every program
//   under Program Files a member.
std::wstring AdmissibleProcessRoot(const std::wstring& canonicalTarget);

// True when root (with its trailing backslash) is one of the folders or an
// ancestor of one, ignoring the case of ASCII letters.
bool RootCoversSharedFolder(const std::wstring& root, const std::vector<std::wstring>& sharedFolders);

// The Windows folder and its system folders, both Program Files folders,
// ProgramData, the user profiles folder, the public profile, the user's
// profile with its Desktop, Documents, Downloads, application data and
// per-user programs folders, and the temporary folder; each as the system
// names it and in its canonical form. A folder the system cannot name is not
// on the list.
std::vector<std::wstring> SharedFolders();

}  // namespace lum
