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

std::optional<std::wstring> ReadGeoValue(const wchar_t* name) {
    wchar_t data[256] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, kGeoKey, name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

// Sets one value of the Geo key, or deletes it for nullopt.
void WriteGeoValue(const wchar_t* name, const std::optional<std::wstring>& value) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kGeoKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    LSTATUS status = value ? ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                                              static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)))
                           : ::RegDeleteValueW(key, name);
    ::RegCloseKey(key);
    if (status == ERROR_FILE_NOT_FOUND && !value) status = ERROR_SUCCESS;
    ASSERT_EQ(status, ERROR_SUCCESS);
}

std::vector<std::wstring> DllLinks() {
    std::vector<std::wstring> links;
    for (int32_t kind = 0; kind < 3; ++kind) {
        wchar_t buffer[128] = {};
        const int32_t copied = Dll().GetLink(kind, buffer, 128);
        EXPECT_EQ(copied, static_cast<int32_t>(std::wstring(buffer).size()));
        links.push_back(buffer);
    }
    return links;
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

private:
    std::optional<std::wstring> savedName_;
    std::optional<std::wstring> savedNation_;
};

}  // namespace

// The rows run in order, so each also shows the region is asked at every call.
TEST_F(UserRegionTest, OnlyMainlandChinaGetsTheRegionalSite) {
    struct Case {
        const wchar_t* name;    // what GetUserDefaultGeoName reports
        const wchar_t* nation;  // the geo id in decimal
        const wchar_t* region;  // what UserRegion makes of them
        bool regional;
    };
    const Case cases[] = {
        {L"CN", L"45", L"CN", true},
        {L"HK", L"104", L"HK", false},
        {L"cn", L"244", L"cn", true},  // the code ignores case
        {L"TW", L"237", L"TW", false},
        {L"", L"45", L"CN", true},  // no name: the nation's geo id (45 is China) gives the code
        {L"US", L"244", L"US", false},
        {L"", L"-1", L"", false},  // no name, and GEOID_NOT_AVAILABLE
        {L"ABCDEFGHIJKLMNOPQRSTUVWXYZ", L"-1", L"", false},  // too long for the 16-character buffer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(lumtest::Utf8(std::wstring(c.name) + L"/" + c.nation));
        WriteGeoValue(L"Name", std::wstring(c.name));
        WriteGeoValue(L"Nation", std::wstring(c.nation));
        EXPECT_EQ(lum::UserRegion(), c.region);
        EXPECT_EQ(DllLinks(), c.regional ? kRegional : kInternational);
    }
    // Only the two-letter code matches.
    EXPECT_EQ(lum::LinkForRegion(1, L"CHN"), kInternational[1]);
    EXPECT_EQ(lum::LinkForRegion(1, L"C"), kInternational[1]);
}

TEST_F(UserRegionTest, GetLinkTruncatesAndTerminates) {
    WriteGeoValue(L"Name", std::wstring(L"US"));
    std::wstring buffer(32, L'#');
    EXPECT_EQ(Dll().GetLink(1, buffer.data(), 10), 9);
    EXPECT_EQ(buffer.substr(0, 11), std::wstring(L"https://l\0#", 11)) << "nothing past the terminator";

    buffer.assign(32, L'#');
    EXPECT_EQ(Dll().GetLink(0, buffer.data(), 1), 0);
    EXPECT_EQ(buffer.substr(0, 2), std::wstring(L"\0#", 2));

    const std::wstring& full = kInternational[2];
    buffer.assign(64, L'#');
    EXPECT_EQ(Dll().GetLink(2, buffer.data(), static_cast<int32_t>(full.size() + 1)),
              static_cast<int32_t>(full.size()));
    EXPECT_EQ(std::wstring(buffer.c_str()), full);
}

TEST(GetLinkExport, UnknownKindsAndUnusableBuffers) {
    for (int32_t kind : {3, -1, 15, INT32_MIN, INT32_MAX}) {
        std::wstring buffer(16, L'#');
        EXPECT_EQ(Dll().GetLink(kind, buffer.data(), 16), 0) << kind;
        EXPECT_EQ(buffer.substr(0, 2), std::wstring(L"\0#", 2)) << "the empty string, for kind " << kind;
    }
    EXPECT_EQ(Dll().GetLink(0, nullptr, 100), 0);
    for (int32_t size : {0, -1, INT32_MIN}) {
        std::wstring buffer(8, L'#');
        EXPECT_EQ(Dll().GetLink(1, buffer.data(), size), 0) << size;
        EXPECT_EQ(buffer, std::wstring(8, L'#')) << "nothing written for size " << size;
    }
}
