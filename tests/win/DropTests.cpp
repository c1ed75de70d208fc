// The drag-and-drop and clipboard pieces: the data object's answers, the effects, the drop source, and the
// readers that take untrusted data from other programs.

#include "common/DropTestData.h"
#include "win/Clipboard.h"
#include "win/DropData.h"
#include "win/DropTarget.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>

namespace {

TEST(DropData, AnswersOnlyTheFormatItHoldsAndHandsOutACopyEachTime) {
    const CLIPFORMAT format = static_cast<CLIPFORMAT>(win::DataFolderFormat());
    const win::CComPtr<win::CDropData> data = DataWith(format, std::string("<doc/>\0", 7));
    struct Case {
        CLIPFORMAT format;
        DWORD aspect;
        DWORD tymed;
        HRESULT expected;
    };
    const Case cases[] = {
        {format, DVASPECT_CONTENT, TYMED_HGLOBAL, S_OK},
        {format, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM, S_OK},
        {CF_TEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC}, // format not offered
        {format, DVASPECT_CONTENT, TYMED_ISTREAM, DV_E_FORMATETC},  // wrong medium
        {format, DVASPECT_THUMBNAIL, TYMED_HGLOBAL, DV_E_DVASPECT},
    };
    for (const Case& c : cases) {
        FORMATETC request{c.format, nullptr, c.aspect, -1, c.tymed};
        EXPECT_EQ(data->QueryGetData(&request), c.expected) << c.format << " " << c.tymed;
        STGMEDIUM medium{};
        EXPECT_EQ(data->GetData(&request, &medium), c.expected) << c.format << " " << c.tymed;
        if (c.expected == S_OK) {
            ::ReleaseStgMedium(&medium);
        }
    }
    // Each receiver frees what it got: the second must still read the whole block.
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM first{};
    STGMEDIUM second{};
    ASSERT_EQ(data->GetData(&request, &first), S_OK);
    ASSERT_EQ(data->GetData(&request, &second), S_OK);
    EXPECT_NE(first.hGlobal, second.hGlobal);
    EXPECT_EQ(first.pUnkForRelease, nullptr);
    ::ReleaseStgMedium(&first);
    std::string text;
    EXPECT_TRUE(win::ReadGlobalText(second.hGlobal, text));
    EXPECT_EQ(text, "<doc/>");
    ::ReleaseStgMedium(&second);
    std::string bytes;
    EXPECT_TRUE(win::GetDataBytes(data.Get(), format, bytes));
    EXPECT_EQ(bytes.size(), 7u);
}

TEST(DropData, StoresOneNonEmptyGlobalBlockOnlyWithItsOwnership) {
    struct Case {
        const char* what;
        DWORD describedTymed;
        size_t size;
        BOOL release;
        HRESULT expected;
    };
    const Case cases[] = {
        {"kept by the caller", TYMED_HGLOBAL, 4, FALSE, E_INVALIDARG},
        {"medium not as described", TYMED_ISTREAM, 4, TRUE, E_INVALIDARG},
        {"zero-length data", TYMED_HGLOBAL, 0, TRUE, E_INVALIDARG},
        {"owned global memory", TYMED_HGLOBAL, 4, TRUE, S_OK},
    };
    for (const Case& c : cases) {
        const win::CComPtr<win::CDropData> data = win::CDropData::Create();
        FORMATETC description{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, c.describedTymed};
        STGMEDIUM medium{};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, c.size);
        EXPECT_EQ(data->SetData(&description, &medium, c.release), c.expected) << c.what;
        if (c.expected != S_OK) {
            ::GlobalFree(medium.hGlobal);
            FORMATETC request{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
            EXPECT_EQ(data->QueryGetData(&request), DV_E_FORMATETC) << c.what;
            continue;
        }
        STGMEDIUM another{};
        another.tymed = TYMED_HGLOBAL;
        another.hGlobal = win::CopyToGlobal("x", 1);
        EXPECT_EQ(data->SetData(&description, &another, TRUE), E_OUTOFMEMORY);
        ::GlobalFree(another.hGlobal);
    }
    EXPECT_EQ(win::CopyToGlobal("", 0), nullptr);
}

// Another program's data object that answers with a stream whatever is asked.
class CStreamData final : public CStubDataObject {
public:
    explicit CStreamData(IStream* stream) : m_stream(stream) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM* medium) override {
        medium->tymed = TYMED_ISTREAM;
        medium->pstm = m_stream;
        medium->pUnkForRelease = nullptr;
        m_stream->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return S_OK; }

private:
    IStream* m_stream;
};

TEST(DropData, AnotherMediumThanGlobalMemoryIsRefusedAndReleased) {
    win::CComPtr<IStream> stream;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()), S_OK);
    CStreamData data(stream.Get());
    std::string bytes;
    std::vector<std::wstring> names;
    EXPECT_FALSE(win::GetDataBytes(&data, CF_TEXT, bytes));
    EXPECT_FALSE(win::GetDroppedFiles(&data, names));
    // Only our own reference is left.
    stream->AddRef();
    EXPECT_EQ(stream->Release(), 1u);
}

TEST(DropData, DroppedFileListsAreReadWithinTheBlockAndLongNamesRefused) {
    const std::wstring longest(MAX_PATH - 1, L'a');
    struct Case {
        const char* what;
        std::string bytes;
        bool ok;
        std::vector<std::wstring> names;
    };
    std::string unterminated = FileList({L"C:\\a.chm"});
    unterminated.resize(unterminated.size() - 4);
    std::string badOffset = FileList({L"C:\\a.chm"});
    reinterpret_cast<DROPFILES*>(badOffset.data())->pFiles = static_cast<DWORD>(badOffset.size());
    const Case cases[] = {
        {"one wide name", FileList({L"C:\\ドキュメント.chm"}), true, {L"C:\\ドキュメント.chm"}},
        {"two names", FileList({L"C:\\a.chm", L"C:\\b.chm"}), true, {L"C:\\a.chm", L"C:\\b.chm"}},
        {"narrow names", FileList({L"C:\\a.chm"}, false), true, {L"C:\\a.chm"}},
        {"the longest name", FileList({longest}), true, {longest}},
        {"a name over the limit", FileList({longest + L"b"}), false, {}},
        {"a narrow name over the limit", FileList({longest + L"b"}, false), false, {}},
        {"a list without its end", unterminated, false, {}},
        {"names outside the block", badOffset, false, {}},
        {"a header cut short", std::string(8, '\0'), false, {}},
    };
    for (const Case& c : cases) {
        HGLOBAL memory = win::CopyToGlobal(c.bytes.data(), c.bytes.size());
        std::vector<std::wstring> names;
        EXPECT_EQ(win::ReadDroppedFiles(memory, names), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(names, c.names) << c.what;
        }
        ::GlobalFree(memory);
    }
}

TEST(DropData, TextsEndAtTheirZeroOrAtTheBlocksEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("abc\0def", 7), "abc"},
        {"no terminator", "no terminator"},
    };
    for (const auto& [bytes, expected] : cases) {
        HGLOBAL memory = win::CopyToGlobal(bytes.data(), bytes.size());
        std::string text;
        EXPECT_TRUE(win::ReadGlobalText(memory, text));
        EXPECT_EQ(text, expected);
        ::GlobalFree(memory);
    }
    // Three bytes hold one UTF-16 unit: the odd byte is not read.
    HGLOBAL odd = win::CopyToGlobal("a\0b", 3);
    std::wstring wide;
    EXPECT_TRUE(win::ReadGlobalText(odd, wide));
    EXPECT_EQ(wide, L"a");
    ::GlobalFree(odd);
    std::string none;
    EXPECT_FALSE(win::ReadGlobalText(static_cast<HGLOBAL>(nullptr), none));
}

TEST(DropEffect, KeysChooseAmongWhatBothSidesPermitElseTheTargetsOrder) {
    const DWORD linkCopy[] = {DROPEFFECT_LINK, DROPEFFECT_COPY};
    const DWORD moveCopy[] = {DROPEFFECT_MOVE, DROPEFFECT_COPY};
    struct Case {
        DWORD keys;
        DWORD allowed;
        DWORD accepted;
        const DWORD* order;
        DWORD expected;
    };
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const Case cases[] = {
        {0, all, DROPEFFECT_LINK | DROPEFFECT_COPY, linkCopy, DROPEFFECT_LINK},
        {0, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_LINK | DROPEFFECT_COPY, linkCopy, DROPEFFECT_COPY},
        {0, DROPEFFECT_MOVE, DROPEFFECT_LINK | DROPEFFECT_COPY, linkCopy, DROPEFFECT_NONE},
        {MK_SHIFT, all, DROPEFFECT_LINK | DROPEFFECT_COPY, linkCopy, DROPEFFECT_LINK}, // a move is never accepted
        {MK_CONTROL, all, DROPEFFECT_LINK | DROPEFFECT_COPY, linkCopy, DROPEFFECT_COPY},
        {0, all, DROPEFFECT_MOVE | DROPEFFECT_COPY, moveCopy, DROPEFFECT_MOVE},
        {MK_CONTROL, all, DROPEFFECT_MOVE | DROPEFFECT_COPY, moveCopy, DROPEFFECT_COPY},
        {MK_CONTROL | MK_SHIFT, all, DROPEFFECT_MOVE | DROPEFFECT_COPY, moveCopy, DROPEFFECT_MOVE},
        {0, DROPEFFECT_COPY, DROPEFFECT_MOVE | DROPEFFECT_COPY, moveCopy, DROPEFFECT_COPY},
        {0, DROPEFFECT_NONE, DROPEFFECT_MOVE | DROPEFFECT_COPY, moveCopy, DROPEFFECT_NONE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(win::ChooseDropEffect(c.keys, c.allowed, c.accepted, c.order, 2), c.expected)
            << c.keys << " " << c.allowed << " " << c.accepted;
    }
}

TEST(DropSource, EscapeOrBothButtonsCancelAndReleasingDrops) {
    const win::CComPtr<win::CDropSource> source = win::CDropSource::Create();
    const std::tuple<BOOL, DWORD, HRESULT> cases[] = {
        {FALSE, MK_LBUTTON, S_OK},
        {FALSE, MK_RBUTTON | MK_CONTROL, S_OK},
        {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
        {FALSE, 0, DRAGDROP_S_DROP},
        {FALSE, MK_SHIFT, DRAGDROP_S_DROP},
    };
    for (const auto& [escape, keys, expected] : cases) {
        EXPECT_EQ(source->QueryContinueDrag(escape, keys), expected) << escape << " " << keys;
    }
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST(DropTarget, ForwardsToItsHandlerUntilRevoked) {
    struct Handler : win::CDgDpTarget {
        HRESULT DragOver(DWORD, POINTL, DWORD* effect) override {
            *effect = DROPEFFECT_COPY;
            return S_OK;
        }
    } handler;
    const HWND window = ::CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(handler.Register(window));
    EXPECT_EQ(::RegisterDragDrop(window, win::CDropTarget::Create(&handler).Get()), DRAGDROP_E_ALREADYREGISTERED);
    const win::CComPtr<win::CDropTarget> target = win::CDropTarget::Create(&handler);
    DWORD effect = DROPEFFECT_LINK;
    EXPECT_EQ(target->DragOver(0, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = DROPEFFECT_LINK;
    EXPECT_EQ(target->DragEnter(nullptr, 0, POINTL{}, &effect), S_OK); // the base refuses
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    target->Detach();
    EXPECT_EQ(target->DragOver(0, POINTL{}, &effect), E_POINTER);
    EXPECT_TRUE(handler.Revoke());
    EXPECT_EQ(handler.RegisteredWindow(), nullptr);
    EXPECT_EQ(::RevokeDragDrop(window), DRAGDROP_E_NOTREGISTERED);
    ::DestroyWindow(window);
}

TEST(Clipboard, TextsAndTheDataFolderFormatRoundTripWithTheirSize) {
    const HWND window = ::CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const UINT format = win::DataFolderFormat();
    EXPECT_NE(format, 0u);
    EXPECT_EQ(format, ::RegisterClipboardFormatW(L"folivex data folder"));
    {
        win::CClipboard clipboard(window);
        ASSERT_TRUE(clipboard.IsOpen());
        ASSERT_TRUE(clipboard.SetText(format, "<doc title=\"Q&amp;A\"/>"));
        std::string bytes;
        ASSERT_TRUE(clipboard.GetBytes(format, bytes));
        EXPECT_GE(bytes.size(), 22u); // with its terminating zero
        std::string text;
        ASSERT_TRUE(clipboard.GetText(format, text));
        EXPECT_EQ(text, "<doc title=\"Q&amp;A\"/>");
        EXPECT_FALSE(clipboard.GetBytes(CF_HDROP, bytes));
    }
    EXPECT_TRUE(win::CClipboard::IsAvailable(format));
    {
        win::CClipboard clipboard(window);
        ASSERT_TRUE(clipboard.SetText(L"名前\tタイトル\r\n"));
        std::wstring text;
        ASSERT_TRUE(clipboard.GetText(text));
        EXPECT_EQ(text, L"名前\tタイトル\r\n");
        EXPECT_FALSE(clipboard.SetBytes(CF_TEXT, "", 0));
    }
    EXPECT_FALSE(win::CClipboard::IsAvailable(format));
    ::DestroyWindow(window);
}

} // namespace
