// The URL dialogs' rules: a stored address is found by its whole text ignoring case, and the login names the
// scheme, protection and host of the request.

#include "common/TempFolder.h"
#include "data/DataSetting.h"
#include "tools/DlgUrlDocOpen.h"
#include "tools/DlgUrlLogin.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace {

TEST(UrlDialog, FindUrlMatchesTheWholeAddressIgnoringCase) {
    constexpr wchar_t kA[] = L"http://Example.com/help/a.chm";
    constexpr wchar_t kB[] = L"ftp://files.example.org/b.chm";
    CTempFolder folder;
    data::CDataSetting settings;
    data::CDataUrls urls{settings};
    settings.SetFolder(folder.Path());
    urls.SetFolder(folder.Path());
    for (const wchar_t* address : {kB, kA}) {
        data::CDataUrl url;
        url.address = address;
        ASSERT_TRUE(urls.Add(url));
    }
    const struct {
        std::wstring text;
        const wchar_t* expected;
    } cases[] = {
        {kA, kA},
        {L"HTTP://EXAMPLE.COM/HELP/A.CHM", kA},
        {kB, kB},
        {L"http://Example.com/help/a", nullptr},
        {std::wstring(kA) + L" ", nullptr},
        {L"", nullptr},
    };
    for (const auto& c : cases) {
        data::CDataUrl found;
        EXPECT_EQ(tools::FindUrl(urls, c.text, &found) != data::kNoUrl, c.expected != nullptr) << c.text;
        EXPECT_EQ(found.address, c.expected ? c.expected : L"") << c.text;
    }
}

using transfer::CCommAuth;

CCommAuth Auth(uint32_t scheme, uint32_t secure) {
    CCommAuth auth;
    auth.scheme = scheme;
    auth.secure = secure;
    return auth;
}

TEST(DlgUrlLogin, SchemeTextProtectionAndHostFollowTheRequest) {
    const struct {
        uint32_t scheme;
        uint32_t secure;
        const wchar_t* text;
        bool isProtected;
    } cases[] = {
        {CCommAuth::kSchemeUnknown, 0, L"?????", false},
        {CCommAuth::kSchemeUnknown, 1, L"?????", true},
        {CCommAuth::kSchemeBasic, 0, L"HTTP-BASIC認証", false},
        {CCommAuth::kSchemeBasic, 1, L"HTTP-BASIC認証（SSL/TLS）", true},
        {CCommAuth::kSchemeDigest, 0, L"HTTP-DIGEST認証", true},
        {CCommAuth::kSchemeDigest, 1, L"HTTP-DIGEST認証（SSL/TLS）", true},
        {CCommAuth::kSchemeFtp, 0, L"FTP認証", false},
        {7, 0, L"?????", false},
    };
    for (const auto& c : cases) {
        const CCommAuth auth = Auth(c.scheme, c.secure);
        EXPECT_EQ(tools::AuthSchemeText(auth), c.text) << c.scheme << "/" << c.secure;
        EXPECT_EQ(tools::CredentialsProtected(auth), c.isProtected) << c.scheme << "/" << c.secure;
    }
    EXPECT_EQ(tools::LoginHostText(transfer::CUrlConn()), L"?????");
}

} // namespace
