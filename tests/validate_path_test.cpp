// LumUI_ValidatePath against real folders under Wine, plus the free-space
// seam where an exact byte count is needed.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "base/scoped_win.h"
#include "paths/validate_path.h"
#include "test_support.h"

using lumtest::Dll;
using lumtest::TempDir;

namespace {

constexpr uint32_t kUsable = 0, kNotAcceptable = 1, kNotWritable = 2, kTooLittleSpace = 3;

uint32_t Validate(const std::wstring& path, int32_t requiredMiB = 0) {
    return Dll().ValidatePath(path.c_str(), requiredMiB);
}

std::wstring WithForwardSlashes(std::wstring path) {
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

// The free-space seam: records the folder it was asked about and reports a set count.
struct FakeFreeSpace {
    static inline std::wstring folder;
    static inline bool askedForTotals = false, fail = false;
    static inline uint64_t freeBytes = 0;
    static uint32_t Validate(const std::wstring& path, int32_t requiredMiB, uint64_t bytes, bool failing = false) {
        folder.clear();
        askedForTotals = false;
        fail = failing;
        freeBytes = bytes;
        return lum::ValidateInstallPath(path.c_str(), requiredMiB, &Query);
    }
    static BOOL WINAPI Query(LPCWSTR path, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                             PULARGE_INTEGER totalFree) {
        folder = path;
        askedForTotals = total != nullptr || totalFree != nullptr;
        if (fail) ::SetLastError(ERROR_ACCESS_DENIED);
        else if (freeToCaller) freeToCaller->QuadPart = freeBytes;
        return !fail;
    }
};

}  // namespace

TEST(ValidatePath, PathsThatAreNotAbsoluteFolderPathsAreRefused) {
    TempDir dir;
    ASSERT_TRUE(lumtest::WriteFileBytes(dir / L"setup.log", "x"));
    std::wstring missingDrive;  // a drive letter that names no drive in this prefix
    for (wchar_t letter = L'Y'; letter >= L'D' && missingDrive.empty(); --letter) {
        if ((::GetLogicalDrives() & (1u << (letter - L'A'))) == 0) missingDrive = {letter, L':'};
    }
    ASSERT_FALSE(missingDrive.empty()) << "every drive letter is mapped";
    EXPECT_EQ(Dll().ValidatePath(nullptr, 0), kNotAcceptable);
    const std::wstring refused[] = {
        L"", L"C", L"C:", L"C:\\", L"C:/", L"Z:\\", L"relative\\dir", L"dir", L"..\\up", L"C:relative\\dir",
        L"\\\\server\\share\\Lumora", L"\\\\?\\C:\\x", L"\\\\.\\C:\\x", L"C:\\dir:stream",
        L"C:\\Program Files\\Lumora::$DATA", L"C:\\a*b", L"C:\\a?b", L"C:\\a<b", L"C:\\a>b", L"C:\\a|b",
        L"C:\\a\"b", L"C:\\users\\*", dir / L"setup.log", missingDrive + L"\\Lumora\\Capture",
        missingDrive + L"/Lumora", missingDrive + L"\\x", L"\\lumtest-no-such-root-folder\\Lumora",
    };
    for (const std::wstring& path : refused) {
        const std::wstring copy = path;
        EXPECT_EQ(Validate(copy), kNotAcceptable) << lumtest::Utf8(path);
        EXPECT_EQ(copy, path) << "the caller's string is never changed";
    }
}

TEST(ValidatePath, ExistingAndMissingFoldersUnderAnExistingOneAreUsable) {
    TempDir dir;
    std::wstring previous(32768, L'\0');
    previous.resize(::GetCurrentDirectoryW(32768, previous.data()));
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.path().c_str()));
    const std::wstring usable[] = {
        dir.path(), dir.path() + L"\\",
        L"C:\\x",  // four characters pass the early checks; "C:\x" need not exist
        dir / L"Lumora\\Capture", WithForwardSlashes(dir.path()) + L"/Lumora/Capture/",
        dir.path().substr(2) + L"\\Lumora\\Capture",  // no drive: taken on the current one
    };
    for (const std::wstring& path : usable) {
        const std::wstring copy = path;
        EXPECT_EQ(Validate(copy, 1), kUsable) << lumtest::Utf8(path);
        EXPECT_EQ(copy, path) << "the caller's string is never changed";
    }
    ::SetCurrentDirectoryW(previous.c_str());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no folder made, no \"ppu*\" probe file left";
}

TEST(ValidatePath, RequiredSizeAgainstTheRealFreeSpace) {
    TempDir dir;
    EXPECT_EQ(Validate(dir.path(), 0), kUsable);
    // 2^31 - 1 MiB is about 2 PiB: no test machine has that much.
    EXPECT_EQ(Validate(dir.path(), INT32_MAX), kTooLittleSpace);
    // A negative size widens with its sign into a huge unsigned byte count.
    EXPECT_EQ(Validate(dir.path(), -1), kTooLittleSpace);
    EXPECT_EQ(Validate(dir / L"missing\\deeper", -1), kTooLittleSpace);
}

TEST(ValidatePath, TheSeamIsAskedOnlyForTheCallersFreeBytesInTheNearestExistingFolder) {
    TempDir dir;
    EXPECT_EQ(FakeFreeSpace::Validate(dir / L"Lumora\\Capture", 100, 1ull << 40), kUsable);
    EXPECT_EQ(FakeFreeSpace::folder, dir.path());
    EXPECT_FALSE(FakeFreeSpace::askedForTotals);
    const std::wstring forward = WithForwardSlashes(dir.path());
    EXPECT_EQ(FakeFreeSpace::Validate(forward + L"/Lumora/Capture/", 1, 1ull << 40), kUsable);
    EXPECT_EQ(FakeFreeSpace::folder, forward);
    // Exactly the required bytes are enough; one fewer is not.
    EXPECT_EQ(FakeFreeSpace::Validate(dir.path(), 250, 250ull << 20), kUsable);
    EXPECT_EQ(FakeFreeSpace::Validate(dir.path(), 250, (250ull << 20) - 1), kTooLittleSpace);
    EXPECT_EQ(FakeFreeSpace::Validate(dir.path(), 0, 0), kUsable);
    // The widened negative size: only a disk reporting (almost) 2^64 bytes would do.
    EXPECT_EQ(FakeFreeSpace::Validate(dir.path(), -1, 0xFFFFFFFFFFEFFFFFull), kTooLittleSpace);
    EXPECT_EQ(FakeFreeSpace::Validate(dir.path(), 0, 1ull << 40, true), kNotWritable);
    // Refused paths never get as far as the query.
    EXPECT_EQ(FakeFreeSpace::Validate(L"C:\\a|b", 0, 1ull << 40), kNotAcceptable);
    EXPECT_TRUE(FakeFreeSpace::folder.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// sysfs through Wine's Z: drive (the host's root) exists, and the kernel
// refuses regular files in it even for root; statfs reports 0 free bytes, so
// a required size of 0 gets past the space check to the write probe. Wine's
// GetTempFileNameW still returns a unique number there: the validation must
// notice that no file was made.
TEST(ValidatePath, AFolderWhereNoFileCanBeCreatedIsNotWritable) {
    const std::wstring folder = L"Z:\\sys\\kernel", probe = folder + L"\\lumtest-probe.tmp";
    const lum::UniqueFileHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                   FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!::PathIsDirectoryW(folder.c_str()) || file) GTEST_SKIP() << "Z:\\sys\\kernel is missing or accepts files";
    EXPECT_EQ(Validate(folder, 0), kNotWritable);
    EXPECT_EQ(Validate(folder + L"\\Lumora\\Capture", 0), kNotWritable);
    // The space check comes first: a full folder that is also read-only reports space.
    EXPECT_EQ(Validate(folder, 1), kTooLittleSpace);
    EXPECT_EQ(FakeFreeSpace::Validate(folder, 1, 1ull << 40), kNotWritable);
}

TEST(ValidatePath, VeryLongPathsAreWalkedUpToTheirExistingFolder) {
    TempDir dir;
    // 20,000 one-letter levels below an existing folder, and one name of
    // 100,000 characters: neither can exist, so both are measured in `dir`.
    std::wstring deep = dir.path();
    for (int i = 0; i < 20000; ++i) deep += L"\\a";
    EXPECT_EQ(Validate(deep), kUsable);
    EXPECT_EQ(Validate(dir / std::wstring(100000, L'x')), kUsable);
    EXPECT_EQ(Validate(dir / std::wstring(100000, L'x'), -1), kTooLittleSpace);
    // An existing folder nested past MAX_PATH counts as missing, as it does
    // for a setup program that is not long-path aware.
    std::wstring nested = dir.path();
    while (nested.size() < MAX_PATH + 20) {
        nested += L"\\level";
        ASSERT_TRUE(::CreateDirectoryW(nested.c_str(), nullptr) || nested.size() >= MAX_PATH);
    }
    std::wstring expectedFolder = nested;
    while (expectedFolder.size() >= MAX_PATH) expectedFolder.resize(expectedFolder.rfind(L'\\'));
    const uint32_t result = FakeFreeSpace::Validate(nested + L"\\x", 1, 1ull << 40);
    EXPECT_EQ(FakeFreeSpace::folder, expectedFolder);
    // That folder is at least MAX_PATH - 6 characters long: too long for the
    // probe file that GetTempFileNameW would make in it.
    EXPECT_EQ(result, kNotWritable);
    // The longest folder that takes it has MAX_PATH - 14 characters.
    const std::wstring longest = dir / std::wstring(MAX_PATH - 15 - dir.path().size(), L'e');
    ASSERT_TRUE(::CreateDirectoryW(longest.c_str(), nullptr) && ::CreateDirectoryW((longest + L"e").c_str(), nullptr));
    EXPECT_EQ(Validate(longest), kUsable);
    EXPECT_EQ(Validate(longest + L"e"), kNotWritable);
}
