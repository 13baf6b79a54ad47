// LumUI_ValidatePath against real folders under Wine, plus the free-space
// seam where an exact byte count is needed.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "paths/path_rules.h"
#include "paths/validate_path.h"
#include "test_support.h"

using lumtest::Dll;
using lumtest::TempDir;

namespace {

constexpr uint32_t kUsable = 0, kNotAcceptable = 1, kNotWritable = 2, kTooLittleSpace = 3;

uint32_t Validate(const wchar_t* path, int32_t requiredMiB = 0) { return Dll().ValidatePath(path, requiredMiB); }
uint32_t Validate(const std::wstring& path, int32_t requiredMiB = 0) { return Validate(path.c_str(), requiredMiB); }

// Names of everything directly inside `folder`.
std::vector<std::wstring> Contents(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

std::wstring WithForwardSlashes(std::wstring path) {
    for (auto& c : path) {
        if (c == L'\\') c = L'/';
    }
    return path;
}

// A drive letter that names no drive in this prefix.
std::wstring MissingDrive() {
    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter >= L'D'; --letter) {
        if ((drives & (1u << (letter - L'A'))) == 0) return std::wstring(1, letter) + L":";
    }
    return std::wstring();
}

// The free-space seam: records what it was asked and reports a set count.
struct FakeFreeSpace {
    static inline std::wstring folder;
    static inline bool askedForTotals = false;
    static inline int calls = 0;
    static inline bool fail = false;
    static inline uint64_t freeBytes = 0;
    static void Reset(uint64_t bytes) {
        folder.clear();
        askedForTotals = false;
        calls = 0;
        fail = false;
        freeBytes = bytes;
    }
    static BOOL WINAPI Query(LPCWSTR path, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                             PULARGE_INTEGER totalFree) {
        ++calls;
        folder = path;
        askedForTotals = total != nullptr || totalFree != nullptr;
        if (fail) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (freeToCaller) freeToCaller->QuadPart = freeBytes;
        return TRUE;
    }
};

// A folder that exists, has "space" and where no file can be created: sysfs
// through Wine's Z: drive (the host's root). The kernel refuses to create
// regular files in sysfs even for root (EACCES), whatever the mount options,
// and statfs reports 0 free bytes, so a required size of 0 gets past the
// space check to the write probe. Wine's GetTempFileNameW still returns a
// unique number there; the validation must notice that no file was made.
std::wstring UnwritableFolder() { return L"Z:\\sys\\kernel"; }

bool FolderRefusesFiles(const std::wstring& folder) {
    if ((::GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
    const std::wstring probe = folder + L"\\lumtest-probe.tmp";
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    ::CloseHandle(file);
    ::DeleteFileW(probe.c_str());
    return false;
}

}  // namespace

TEST(ValidatePath, PathsThatAreNotAbsoluteFolderPathsAreRefused) {
    for (const wchar_t* path :
         {static_cast<const wchar_t*>(nullptr), L"", L"C", L"C:", L"C:\\", L"C:/", L"Z:\\", L"relative\\dir", L"dir",
          L"..\\up", L"C:relative\\dir", L"\\\\server\\share\\Lumora", L"\\\\?\\C:\\x", L"\\\\.\\C:\\x",
          L"C:\\dir:stream", L"C:\\Program Files\\Lumora::$DATA", L"C:\\a*b", L"C:\\a?b", L"C:\\a<b", L"C:\\a>b",
          L"C:\\a|b", L"C:\\a\"b", L"C:\\users\\*"}) {
        EXPECT_EQ(Validate(path), kNotAcceptable) << (path ? lumtest::Utf8(path) : "(null)");
    }
}

TEST(ValidatePath, ExistingFolderAndOneLetterFolderUnderADriveRoot) {
    TempDir dir;
    EXPECT_EQ(Validate(dir.path()), kUsable);
    EXPECT_EQ(Validate(dir.path() + L"\\"), kUsable);
    // Four characters pass the early checks; "C:\x" need not exist.
    EXPECT_EQ(Validate(L"C:\\x"), kUsable);
    EXPECT_TRUE(Contents(dir.path()).empty()) << "the probe file is removed again";
}

TEST(ValidatePath, AnExistingFileIsRefused) {
    TempDir dir;
    const std::wstring file = dir / L"setup.log";
    ASSERT_TRUE(lumtest::WriteFileBytes(file, "x"));
    EXPECT_EQ(Validate(file), kNotAcceptable);
}

TEST(ValidatePath, MissingFoldersAreMeasuredAtTheNearestExistingFolder) {
    TempDir dir;
    const std::wstring path = dir / L"Lumora\\Capture";
    EXPECT_EQ(Validate(path), kUsable);
    EXPECT_EQ(Validate(path, 1), kUsable);
    EXPECT_TRUE(Contents(dir.path()).empty()) << "no folder created, no ppu* probe file left";

    FakeFreeSpace::Reset(1ull << 40);
    EXPECT_EQ(lum::ValidateInstallPath(path.c_str(), 100, &FakeFreeSpace::Query), kUsable);
    EXPECT_EQ(FakeFreeSpace::folder, dir.path());
    EXPECT_FALSE(FakeFreeSpace::askedForTotals) << "only the caller's free bytes are asked for";
}

TEST(ValidatePath, ForwardSlashesAndATrailingSlashAreCutLikeBackslashes) {
    TempDir dir;
    const std::wstring path = WithForwardSlashes(dir.path()) + L"/Lumora/Capture/";
    EXPECT_EQ(Validate(path), kUsable);
    FakeFreeSpace::Reset(1ull << 40);
    EXPECT_EQ(lum::ValidateInstallPath(path.c_str(), 1, &FakeFreeSpace::Query), kUsable);
    EXPECT_EQ(FakeFreeSpace::folder, WithForwardSlashes(dir.path()));
    EXPECT_TRUE(Contents(dir.path()).empty());
}

TEST(ValidatePath, ADriveThatDoesNotExistIsRefused) {
    const std::wstring drive = MissingDrive();
    ASSERT_FALSE(drive.empty()) << "every drive letter is mapped";
    EXPECT_EQ(Validate(drive + L"\\Lumora\\Capture"), kNotAcceptable);
    EXPECT_EQ(Validate(drive + L"/Lumora"), kNotAcceptable);
    EXPECT_EQ(Validate(drive + L"\\x"), kNotAcceptable);
}

TEST(ValidatePath, APathWithoutDriveIsTakenOnTheCurrentDrive) {
    TempDir dir;
    std::wstring previous(32768, L'\0');
    previous.resize(::GetCurrentDirectoryW(32768, previous.data()));
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.path().c_str()));
    const std::wstring onCurrentDrive = dir.path().substr(2);  // "\users\...\lumtest-..."
    EXPECT_EQ(Validate(onCurrentDrive + L"\\Lumora\\Capture"), kUsable);
    EXPECT_EQ(Validate(L"\\lumtest-no-such-root-folder\\Lumora"), kNotAcceptable);
    ::SetCurrentDirectoryW(previous.c_str());
    EXPECT_TRUE(Contents(dir.path()).empty());
}

TEST(ValidatePath, RequiredSizeAgainstTheRealFreeSpace) {
    TempDir dir;
    EXPECT_EQ(Validate(dir.path(), 0), kUsable);
    EXPECT_EQ(Validate(dir.path(), 1), kUsable);
    // 2^31 - 1 MiB is about 2 PiB: no test machine has that much.
    EXPECT_EQ(Validate(dir.path(), INT32_MAX), kTooLittleSpace);
    // Negative sizes widen with their sign into huge unsigned byte counts.
    EXPECT_EQ(Validate(dir.path(), -1), kTooLittleSpace);
    EXPECT_EQ(Validate(dir.path(), INT32_MIN), kTooLittleSpace);
    EXPECT_EQ(Validate(dir / L"missing\\deeper", -1), kTooLittleSpace);
}

TEST(ValidatePath, FreeSpaceExactlyEqualToTheRequiredBytesIsEnough) {
    TempDir dir;
    FakeFreeSpace::Reset(250ull << 20);
    EXPECT_EQ(lum::ValidateInstallPath(dir.path().c_str(), 250, &FakeFreeSpace::Query), kUsable);
    FakeFreeSpace::Reset((250ull << 20) - 1);
    EXPECT_EQ(lum::ValidateInstallPath(dir.path().c_str(), 250, &FakeFreeSpace::Query), kTooLittleSpace);
    FakeFreeSpace::Reset(0);
    EXPECT_EQ(lum::ValidateInstallPath(dir.path().c_str(), 0, &FakeFreeSpace::Query), kUsable);
    // The widened negative size: only a disk reporting (almost) 2^64 bytes would do.
    FakeFreeSpace::Reset(0xFFFFFFFFFFEFFFFFull);
    EXPECT_EQ(lum::ValidateInstallPath(dir.path().c_str(), -1, &FakeFreeSpace::Query), kTooLittleSpace);
    EXPECT_TRUE(Contents(dir.path()).empty());
}

TEST(ValidatePath, AFailedFreeSpaceQueryMeansNotWritable) {
    TempDir dir;
    FakeFreeSpace::Reset(1ull << 40);
    FakeFreeSpace::fail = true;
    EXPECT_EQ(lum::ValidateInstallPath(dir.path().c_str(), 0, &FakeFreeSpace::Query), kNotWritable);
    // Refused paths never get as far as the query.
    FakeFreeSpace::Reset(1ull << 40);
    EXPECT_EQ(lum::ValidateInstallPath(L"C:\\a|b", 0, &FakeFreeSpace::Query), kNotAcceptable);
    EXPECT_EQ(FakeFreeSpace::calls, 0);
}

TEST(ValidatePath, AFolderWhereNoFileCanBeCreatedIsNotWritable) {
    const std::wstring folder = UnwritableFolder();
    if (!FolderRefusesFiles(folder)) GTEST_SKIP() << lumtest::Utf8(folder) << " is missing or accepts files here";
    EXPECT_EQ(Validate(folder, 0), kNotWritable);
    // Through the walk as well: a missing folder below it.
    EXPECT_EQ(Validate(folder + L"\\Lumora\\Capture", 0), kNotWritable);
    // The space check comes first: a full folder that is also read-only reports space.
    EXPECT_EQ(Validate(folder, 1), kTooLittleSpace);
    FakeFreeSpace::Reset(1ull << 40);
    EXPECT_EQ(lum::ValidateInstallPath(folder.c_str(), 1, &FakeFreeSpace::Query), kNotWritable);
}

TEST(ValidatePath, TheCallersStringIsNeverChanged) {
    TempDir dir;
    std::wstring path = WithForwardSlashes(dir.path()) + L"/a/b/c/";
    const std::wstring before = path;
    EXPECT_EQ(Validate(path), kUsable);
    EXPECT_EQ(path, before);
    std::wstring refused = L"C:\\dir:stream";
    EXPECT_EQ(Validate(refused), kNotAcceptable);
    EXPECT_EQ(refused, L"C:\\dir:stream");
}

TEST(ValidatePath, VeryLongPathsAreWalkedUpToTheirExistingFolder) {
    TempDir dir;
    // 20,000 one-letter levels below an existing folder, and one name of
    // 100,000 characters: neither can exist, so both are measured in `dir`.
    std::wstring deep = dir.path();
    for (int i = 0; i < 20000; ++i) deep += L"\\a";
    EXPECT_EQ(Validate(deep), kUsable);
    EXPECT_EQ(Validate(dir.path() + L"\\" + std::wstring(100000, L'x')), kUsable);
    EXPECT_EQ(Validate(dir.path() + L"\\" + std::wstring(100000, L'x'), -1), kTooLittleSpace);
    // An existing folder nested past MAX_PATH counts as missing, as it does
    // for a setup program that is not long-path aware.
    std::wstring nested = dir.path();
    while (nested.size() < MAX_PATH + 20) {
        nested += L"\\level";
        ASSERT_TRUE(::CreateDirectoryW(nested.c_str(), nullptr) || nested.size() >= MAX_PATH);
    }
    std::wstring expectedFolder = nested;
    while (expectedFolder.size() >= MAX_PATH) expectedFolder.resize(expectedFolder.rfind(L'\\'));
    FakeFreeSpace::Reset(1ull << 40);
    const uint32_t result = lum::ValidateInstallPath((nested + L"\\x").c_str(), 1, &FakeFreeSpace::Query);
    EXPECT_EQ(FakeFreeSpace::folder, expectedFolder);
    // GetTempFileNameW takes folders of at most MAX_PATH - 14 characters, so
    // the probe itself may refuse the nearest folder it is given.
    EXPECT_EQ(result, expectedFolder.size() <= MAX_PATH - 14 ? kUsable : kNotWritable);
}

TEST(PathRules, WalkStepsKeepTheDriveSeparator) {
    EXPECT_EQ(lum::ParentFolderLength(L"C:\\a\\b"), 4u);
    EXPECT_EQ(lum::ParentFolderLength(L"C:\\a"), 3u);
    EXPECT_EQ(lum::ParentFolderLength(L"C:/a/"), 4u);
    EXPECT_EQ(lum::ParentFolderLength(L"C:\\"), std::nullopt) << "a drive root cannot be cut shorter";
    EXPECT_EQ(lum::ParentFolderLength(L"\\abc"), std::nullopt) << "cut to nothing";
    EXPECT_EQ(lum::ParentFolderLength(L"\\ab\\c"), 3u);
    EXPECT_EQ(lum::ParentFolderLength(L"\\ab"), std::nullopt) << "cut below 3";
    // A separator at index 2 is kept wherever it comes from.
    EXPECT_EQ(lum::ParentFolderLength(L"\\a\\b"), 3u);
    EXPECT_EQ(lum::ParentFolderLength(L"\\a\\"), std::nullopt);
    EXPECT_EQ(lum::ParentFolderLength(L"abc"), std::nullopt);
    EXPECT_EQ(lum::ParentFolderLength(L""), std::nullopt);
}

TEST(PathRules, RequiredBytesWidenWithSign) {
    EXPECT_EQ(lum::RequiredBytes(0), 0u);
    EXPECT_EQ(lum::RequiredBytes(1), 1048576u);
    EXPECT_EQ(lum::RequiredBytes(INT32_MAX), 0x7FFFFFFFull << 20);
    EXPECT_EQ(lum::RequiredBytes(-1), 0xFFFFFFFFFFF00000ull);
    EXPECT_EQ(lum::RequiredBytes(INT32_MIN), 0xFFF8000000000000ull);
}
