// The document view's drop target, called as OLE calls it: what it accepts, the effects it answers, and that a
// drop only posts the open request to the frame.

#include "common/DropTestData.h"
#include "app/AppMessages.h"
#include "app/ViewDrop.h"
#include "win/DropData.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

// A data object as another program offers it: several formats, each handed out in global memory.
class CTestData final : public CStubDataObject {
public:
    CTestData& With(CLIPFORMAT format, const std::string& bytes) {
        m_formats.emplace_back(format, bytes);
        return *this;
    }
    IDataObject* Object() { return this; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        for (const auto& [offered, bytes] : m_formats) {
            if (offered == format->cfFormat && (format->tymed & TYMED_HGLOBAL)) {
                medium->tymed = TYMED_HGLOBAL;
                medium->hGlobal = win::CopyToGlobal(bytes.data(), bytes.size());
                medium->pUnkForRelease = nullptr;
                return S_OK;
            }
        }
        return DV_E_FORMATETC;
    }

private:
    std::vector<std::pair<CLIPFORMAT, std::string>> m_formats;
};

TEST(ViewDrop, OneFileOrAnHttpHttpsOrFtpLinkIsADocument) {
    struct Case {
        const char* what;
        CTestData data;
        DocRef::Kind kind;
        std::wstring location;
    };
    Case cases[] = {
        {"one file", CTestData().With(CF_HDROP, FileList({L"C:\\docs\\a.chm"})), DocRef::Kind::File,
         L"C:\\docs\\a.chm"},
        {"two files", CTestData().With(CF_HDROP, FileList({L"C:\\a.chm", L"C:\\b.chm"})), DocRef::Kind::None, L""},
        {"no file", CTestData().With(CF_HDROP, FileList({})), DocRef::Kind::None, L""},
        {"an http link", CTestData().With(CF_TEXT, std::string("http://host/a.chm\0", 18)), DocRef::Kind::Url,
         L"http://host/a.chm"},
        {"an https link with blanks", CTestData().With(CF_TEXT, " https://host/a.chm\r\n"), DocRef::Kind::Url,
         L"https://host/a.chm"},
        {"an ftp link", CTestData().With(CF_TEXT, "ftp://host/pub/a.chm"), DocRef::Kind::Url, L"ftp://host/pub/a.chm"},
        {"a mailto link", CTestData().With(CF_TEXT, "mailto:someone@host"), DocRef::Kind::None, L""},
        {"a file link", CTestData().With(CF_TEXT, "file:///C:/a.chm"), DocRef::Kind::None, L""},
        {"two lines", CTestData().With(CF_TEXT, "http://host/a.chm\r\nhttp://host/b.chm"), DocRef::Kind::None, L""},
        {"empty text", CTestData().With(CF_TEXT, std::string(1, '\0')), DocRef::Kind::None, L""},
        {"plain text, then a file", CTestData().With(CF_TEXT, "some words").With(CF_HDROP, FileList({L"C:\\a.chm"})),
         DocRef::Kind::File, L"C:\\a.chm"},
        {"a link before a file",
         CTestData().With(CF_TEXT, "http://host/a.chm").With(CF_HDROP, FileList({L"C:\\b.chm"})), DocRef::Kind::Url,
         L"http://host/a.chm"},
    };
    for (Case& c : cases) {
        DocRef ref;
        EXPECT_EQ(ReadDroppedDocument(c.data.Object(), ref), c.kind != DocRef::Kind::None) << c.what;
        EXPECT_EQ(ref.kind, c.kind) << c.what;
        EXPECT_EQ(c.kind == DocRef::Kind::Url ? ref.url.Address().Url() : ref.path, c.location) << c.what;
    }
}

// Entering, moving over and dropping as OLE does: the effects answered, and the open request posted to the frame.
TEST(ViewDropTarget, ADropPostsTheOpenRequestWithTheEffectTheSourceAllows) {
    const HWND frame = ::CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    CViewDropTarget handler;
    handler.SetFrame(frame);
    const win::CComPtr<win::CDropTarget> target = win::CDropTarget::Create(&handler);
    CTestData file;
    file.With(CF_HDROP, FileList({L"C:\\docs\\a.chm"}));
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const std::pair<DWORD, DWORD> cases[] = {
        {all, DROPEFFECT_LINK},
        {DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY},
        {DROPEFFECT_MOVE, DROPEFFECT_NONE}, // opening must never have the source delete its file
    };
    for (const auto& [allowed, expected] : cases) {
        DWORD entered = allowed;
        DWORD over = allowed;
        DWORD dropped = allowed;
        EXPECT_EQ(target->DragEnter(file.Object(), MK_LBUTTON, POINTL{}, &entered), S_OK);
        EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{}, &over), S_OK);
        EXPECT_EQ(target->Drop(file.Object(), 0, POINTL{}, &dropped), S_OK);
        EXPECT_EQ(entered, expected) << allowed;
        EXPECT_EQ(over, expected) << allowed;
        EXPECT_EQ(dropped, expected) << allowed;
        MSG msg{};
        const bool posted = ::PeekMessageW(&msg, frame, WM_APP_OPEN_REQUEST, WM_APP_OPEN_REQUEST, PM_REMOVE);
        ASSERT_EQ(posted, expected != DROPEFFECT_NONE) << allowed;
        if (posted) {
            const std::unique_ptr<DocRef> request = TakeObject<WM_APP_OPEN_REQUEST>(msg.wParam);
            EXPECT_EQ(request->kind, DocRef::Kind::File);
            EXPECT_EQ(request->path, L"C:\\docs\\a.chm");
        }
    }
    ::DestroyWindow(frame);
}

} // namespace
