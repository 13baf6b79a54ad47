// Regional links: the user's region is set where Windows keeps it for the
// current user (HKCU\Control Panel\International\Geo, values "Name" for
// GetUserDefaultGeoName and "Nation" for GetUserGeoID; Wine reads both there
// on every call) and the links are read through the DLL.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_support.h"
#include "text/links.h"

using lumtest::Dll;

namespace {

constexpr wchar_t kGeoKey[] = L"Control Panel\\International\\Geo";

const std::vector<std::wstring> kInternational = {L"https://lumora.app/", L"https://lumora.app/terms-of-service/",
                                                  L"https://lumora.app/privacy-policy/"};
const std::vector<std::wstring> kRegional = {L"https://lumora.cn/", L"https://lumora.cn/docs/policy/tos_zh_CN",
                                             L"https://lumora.cn/docs/policy/privacy_zh_CN"};

// One string value of the Geo key, or nothing when it is absent.
std::optional<std::wstring> ReadGeoValue(const wchar_t* name) {
    wchar_t data[256] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, kGeoKey, name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

void WriteGeoValue(const wchar_t* name, const std::optional<std::wstring>& value) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kGeoKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    LSTATUS status;
    if (value) {
        status = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                                  static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    } else {
        status = ::RegDeleteValueW(key, name);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    ::RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
}

// Sets the user's region for one test and puts the previous values back.
class UserRegionTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedName_ = ReadGeoValue(L"Name");
        savedNation_ = ReadGeoValue(L"Nation");
    }
    void TearDown() override {
        WriteGeoValue(L"Name", savedName_);
        WriteGeoValue(L"Nation", savedNation_);
    }

    // name: what GetUserDefaultGeoName reports; nation: the geo id in decimal.
    void SetRegion(const std::optional<std::wstring>& name, const std::optional<std::wstring>& nation) {
        WriteGeoValue(L"Name", name);
        WriteGeoValue(L"Nation", nation);
    }

    static std::vector<std::wstring> DllLinks() {
        std::vector<std::wstring> links;
        for (int32_t kind = 0; kind < 3; ++kind) {
            wchar_t buffer[128] = {};
            const int32_t copied = Dll().GetLink(kind, buffer, 128);
            EXPECT_EQ(copied, static_cast<int32_t>(std::wstring(buffer).size()));
            links.push_back(buffer);
        }
        return links;
    }

private:
    std::optional<std::wstring> savedName_;
    std::optional<std::wstring> savedNation_;
};

}  // namespace

TEST(LinkTable, BothColumns) {
    for (int32_t kind = 0; kind < 3; ++kind) {
        EXPECT_EQ(lum::LinkForRegion(kind, L"CN"), kRegional[kind]);
        EXPECT_EQ(lum::LinkForRegion(kind, L"US"), kInternational[kind]);
        EXPECT_EQ(lum::LinkForRegion(kind, L""), kInternational[kind]);
    }
    EXPECT_EQ(lum::LinkForRegion(1, L"cN"), kRegional[1]);
    EXPECT_EQ(lum::LinkForRegion(1, L"CHN"), kInternational[1]) << "only the two-letter code matches";
    EXPECT_EQ(lum::LinkForRegion(1, L"C"), kInternational[1]);
    for (int32_t kind : {-1, 3, 100, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(lum::LinkForRegion(kind, L"CN"), L"");
        EXPECT_EQ(lum::LinkFor(kind), L"");
    }
}

TEST_F(UserRegionTest, MainlandChinaGetsTheRegionalSite) {
    SetRegion(L"CN", L"45");
    EXPECT_EQ(lum::UserRegion(), L"CN");
    EXPECT_EQ(DllLinks(), kRegional);
}

TEST_F(UserRegionTest, RegionCodeIgnoresCase) {
    SetRegion(L"cn", L"244");
    EXPECT_EQ(lum::UserRegion(), L"cn");
    EXPECT_EQ(DllLinks(), kRegional);
}

TEST_F(UserRegionTest, HongKongAndTaiwanGetTheInternationalSite) {
    SetRegion(L"HK", L"104");
    EXPECT_EQ(DllLinks(), kInternational);
    SetRegion(L"TW", L"237");
    EXPECT_EQ(DllLinks(), kInternational);
}

TEST_F(UserRegionTest, RegionIsAskedAtEveryCall) {
    SetRegion(L"US", L"244");
    EXPECT_EQ(DllLinks(), kInternational);
    SetRegion(L"CN", L"45");
    EXPECT_EQ(DllLinks(), kRegional);
    SetRegion(L"DE", L"94");
    EXPECT_EQ(DllLinks(), kInternational);
}

TEST_F(UserRegionTest, EmptyGeoNameFallsBackToTheNationId) {
    // GetUserDefaultGeoName answers with an empty name: the region comes
    // from the nation's geo id (45 is China) and its ISO code.
    SetRegion(L"", L"45");
    EXPECT_EQ(lum::UserRegion(), L"CN");
    EXPECT_EQ(DllLinks(), kRegional);
}

TEST_F(UserRegionTest, NoRegionGetsTheInternationalSite) {
    SetRegion(L"", L"-1");  // no name, and GEOID_NOT_AVAILABLE
    EXPECT_EQ(lum::UserRegion(), L"");
    EXPECT_EQ(DllLinks(), kInternational);
    // A name too long for the 16-character buffer is no answer either.
    SetRegion(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ", L"-1");
    EXPECT_EQ(lum::UserRegion(), L"");
    EXPECT_EQ(DllLinks(), kInternational);
}

TEST_F(UserRegionTest, GetLinkTruncatesAndTerminates) {
    SetRegion(L"US", L"244");
    std::wstring buffer(32, L'#');
    EXPECT_EQ(Dll().GetLink(1, buffer.data(), 10), 9);
    EXPECT_EQ(buffer.substr(0, 10), std::wstring(L"https://l\0", 10));
    EXPECT_EQ(buffer[10], L'#') << "nothing past the terminator";

    buffer.assign(32, L'#');
    EXPECT_EQ(Dll().GetLink(0, buffer.data(), 1), 0);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(buffer[1], L'#');

    const std::wstring& full = kInternational[2];
    buffer.assign(64, L'#');
    EXPECT_EQ(Dll().GetLink(2, buffer.data(), static_cast<int32_t>(full.size() + 1)),
              static_cast<int32_t>(full.size()));
    EXPECT_EQ(std::wstring(buffer.c_str()), full);
}

TEST(GetLinkExport, UnknownKindsGiveTheEmptyString) {
    for (int32_t kind : {3, -1, 15, INT32_MIN, INT32_MAX}) {
        std::wstring buffer(16, L'#');
        EXPECT_EQ(Dll().GetLink(kind, buffer.data(), 16), 0) << kind;
        EXPECT_EQ(buffer[0], L'\0') << kind;
        EXPECT_EQ(buffer[1], L'#') << kind;
    }
}

TEST(GetLinkExport, NoUsableBufferWritesNothing) {
    EXPECT_EQ(Dll().GetLink(0, nullptr, 100), 0);
    EXPECT_EQ(Dll().GetLink(1, nullptr, 0), 0);
    for (int32_t size : {0, -1, -100, INT32_MIN}) {
        std::wstring buffer(8, L'#');
        EXPECT_EQ(Dll().GetLink(1, buffer.data(), size), 0) << size;
        EXPECT_EQ(buffer, std::wstring(8, L'#')) << size;
    }
}
