// LumUI_ValidatePath against real folders under Wine, and the free-space seam where an exact count is needed.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "paths/validate_path.h"
#include "test_support.h"

namespace {

constexpr uint32_t kUsable = 0, kNotAcceptable = 1, kNotWritable = 2, kTooLittleSpace = 3;

uint32_t Validate(const std::wstring& path, int32_t requiredMiB = 0) {
    const std::wstring copy = path;
    const uint32_t result = lumtest::Dll().ValidatePath(copy.c_str(), requiredMiB);
    EXPECT_EQ(copy, path) << "the caller's string is never changed";
    return result;
}

// Through the free-space seam, which records the folder asked about and reports a set count (all ones: fails).
std::wstring g_asked;
uint64_t g_freeBytes = 0;
uint32_t ValidateWithFreeBytes(const std::wstring& path, int32_t requiredMiB, uint64_t freeBytes) {
    g_asked.clear();
    g_freeBytes = freeBytes;
    return lum::ValidateInstallPath(path.c_str(), requiredMiB, [](LPCWSTR folder, PULARGE_INTEGER toCaller,
                                                                  PULARGE_INTEGER total, PULARGE_INTEGER free) -> BOOL {
        g_asked = folder;
        EXPECT_TRUE(total == nullptr && free == nullptr) << "only the caller's own free bytes count";
        if (g_freeBytes == UINT64_MAX) return ::SetLastError(ERROR_ACCESS_DENIED), FALSE;
        return toCaller->QuadPart = g_freeBytes, TRUE;
    });
}

}  // namespace

TEST(ValidatePath, WhatIsNotAnAbsoluteFolderPathIsRefused) {
    lumtest::TempDir dir;
    ASSERT_TRUE(lumtest::WriteFileBytes(dir / L"setup.log", "x"));
    std::wstring noDrive;  // a drive letter that names no drive in this prefix
    for (wchar_t letter = L'Y'; letter >= L'D' && noDrive.empty(); --letter) {
        if ((::GetLogicalDrives() & (1u << (letter - L'A'))) == 0) noDrive = {letter, L':'};
    }
    EXPECT_EQ(lumtest::Dll().ValidatePath(nullptr, 0), kNotAcceptable);
    const std::vector<std::wstring> refused = {
        L"", L"C:", L"C:\\", L"C:/", L"dir", L"..\\up", L"C:relative\\dir", L"\\\\server\\share\\x", L"\\\\?\\C:\\x",
        L"C:\\dir:stream", L"C:\\a*b", L"C:\\a?b", L"C:\\a<b", L"C:\\a>b", L"C:\\a|b", L"C:\\a\"b", dir / L"setup.log",
        noDrive + L"\\Lumora\\Capture", noDrive + L"/x", L"\\lumtest-no-such-root-folder\\Lumora"};
    for (const std::wstring& path : refused) EXPECT_EQ(Validate(path), kNotAcceptable) << lumtest::Utf8(path);
}

TEST(ValidatePath, FoldersAreMeasuredInTheNearestExistingFolderAndLeftUntouched) {
    lumtest::TempDir dir;
    std::wstring forward = dir.path, previous(32768, L'\0');
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    previous.resize(::GetCurrentDirectoryW(32768, previous.data()));
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.path.c_str()));
    // "C:\x" need not exist; a path without a drive is taken on the current one.
    for (const std::wstring& path : {dir.path, dir.path + L"\\", std::wstring(L"C:\\x"), dir / L"Lumora\\Capture",
                                     forward + L"/Lumora/Capture/", dir.path.substr(2) + L"\\Lumora\\Capture"}) {
        EXPECT_EQ(Validate(path, 1), kUsable) << lumtest::Utf8(path);
    }
    ::SetCurrentDirectoryW(previous.c_str());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path)) << "no folder made, no \"ppu*\" probe file left";
    EXPECT_EQ(ValidateWithFreeBytes(forward + L"/Lumora/Capture/", 1, 1ull << 40), kUsable);
    EXPECT_EQ(g_asked, forward);
    // Exactly the required bytes are enough, one fewer is not; a negative size widens into a huge count.
    EXPECT_EQ(ValidateWithFreeBytes(dir.path, 250, 250ull << 20), kUsable);
    EXPECT_EQ(ValidateWithFreeBytes(dir.path, 250, (250ull << 20) - 1), kTooLittleSpace);
    EXPECT_EQ(ValidateWithFreeBytes(dir.path, -1, 0xFFFFFFFFFFEFFFFFull), kTooLittleSpace);
    EXPECT_EQ(ValidateWithFreeBytes(dir.path, 0, UINT64_MAX), kNotWritable) << "a failed query";
    EXPECT_EQ(ValidateWithFreeBytes(L"C:\\a|b", 0, 1ull << 40) + g_asked.size(), kNotAcceptable) << "never asked";
    EXPECT_EQ(Validate(dir.path, INT32_MAX), kTooLittleSpace) << "about 2 PiB";
    EXPECT_EQ(Validate(dir / L"missing\\deeper", -1), kTooLittleSpace);
}

TEST(ValidatePath, VeryLongPathsAreWalkedUpToTheirExistingFolder) {
    lumtest::TempDir dir;
    std::wstring deep = dir.path, nested = dir.path;
    for (int i = 0; i < 20000; ++i) deep += L"\\a";
    EXPECT_EQ(Validate(deep), kUsable);
    EXPECT_EQ(Validate(dir / std::wstring(100000, L'x'), -1), kTooLittleSpace);
    // A folder nested past MAX_PATH counts as missing, as for a setup that is not long-path aware.
    while (nested.size() < MAX_PATH + 20) ::CreateDirectoryW((nested += L"\\level").c_str(), nullptr);
    EXPECT_EQ(ValidateWithFreeBytes(nested + L"\\x", 1, 1ull << 40), kNotWritable) << "too long for a probe file";
    EXPECT_TRUE(g_asked.size() < MAX_PATH && g_asked.size() > MAX_PATH - 7 && nested.rfind(g_asked, 0) == 0);
    // The longest folder that takes the probe file has MAX_PATH - 14 characters.
    const std::wstring longest = dir / std::wstring(MAX_PATH - 15 - dir.path.size(), L'e');
    ASSERT_TRUE(::CreateDirectoryW(longest.c_str(), nullptr) && ::CreateDirectoryW((longest + L"e").c_str(), nullptr));
    EXPECT_EQ(Validate(longest), kUsable);
    EXPECT_EQ(Validate(longest + L"e"), kNotWritable);
}
