#include "win/Path.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace {

TEST(Strings, LoadsWholeStringsFromTheTableAndAddsTheDetailOnItsOwnLine) {
    EXPECT_EQ(win::LoadStr(IDS_PRODUCT_NAME), L"Folivex");
    EXPECT_EQ(win::LoadStr(IDS_ERR_STARTUP), L"スタートアップ処理中にエラーが発生しました。");
    EXPECT_EQ(win::LoadStr(39999), L"");
    EXPECT_EQ(win::TextWithDetail(IDS_ERR_PLACE, L"\\\\server\\share"),
              L"この場所では実行できません。\n\\\\server\\share");
    EXPECT_EQ(win::TextWithDetail(IDS_PRODUCT_NAME, L""), L"Folivex");
}

TEST(Strings, Utf8RoundTripsEveryPlane) {
    for (const std::wstring text : {L"", L"plain", L"日本語のタイトル", L"Q&A <\"'>", L"𠀋𡈽 surrogates 😀"}) {
        EXPECT_EQ(win::Utf8ToWide(win::WideToUtf8(text)), text);
    }
    EXPECT_EQ(win::WideToUtf8(L"é😀"), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(Path, TrimRemovesBlanksAndOneTrailingBackslashButKeepsARoot) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {{L"  C:\\Tools\\Folivex\\  ", L"C:\\Tools\\Folivex"},
                                                               {L"C:\\Tools\\", L"C:\\Tools"},
                                                               {L"C:\\", L"C:\\"},
                                                               {L"", L""},
                                                               {L"   ", L""}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(win::TrimPath(in), out) << in;
    }
}

TEST(Path, ResolvesAgainstTheGivenFolderNeverTheCurrentOne) {
    const std::wstring base = L"C:\\base\\exec";
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"a.chm", L"C:\\base\\exec\\a.chm"},
        {L"..\\a.chm", L"C:\\base\\a.chm"},
        {L"\\docs\\a.chm", L"C:\\docs\\a.chm"},             // the root of the folder's drive
        {L"/docs/a.chm", L"C:\\docs\\a.chm"},
        {L"C:docs\\a.chm", L"C:\\base\\exec\\docs\\a.chm"}, // relative to the folder on its drive
        {L"D:docs\\a.chm", L"D:\\docs\\a.chm"},             // the root of another drive
        {L"D:\\x\\..\\a.chm", L"D:\\a.chm"},
        {L"\\\\srv\\share\\a.chm", L"\\\\srv\\share\\a.chm"},
        {L"", L""},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_TRUE(win::EqualsNoCase(win::ResolveAgainst(path, base), expected)) << path;
    }
}

} // namespace
