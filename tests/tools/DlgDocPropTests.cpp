// The property window over a stand-in document view: live rows, copying, and its placement record.

#include "ToolsTestSupport.h"

#include "common/TempFolder.h"
#include "tools/DlgDocProp.h"

#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

struct FakeView : xml::CViewList {
    static constexpr DWORD kEventOpened = 1, kEventClosed = 2, kEventTopic = 4, kEventTopicProperties = 8;
    bool shown = false;
    transfer::CPropDoc doc;
    transfer::CPropFile file;
    transfer::CPropTopic topic;
    bool HasDocument() const { return shown; }
    const transfer::CPropDoc& GetDocProperties() const { return doc; }
    const transfer::CPropFile& GetFileProperties() const { return file; }
    const transfer::CPropTopic& GetTopicProperties() const { return topic; }
};

std::vector<std::wstring> Contents(HWND list) {
    std::vector<std::wstring> texts;
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        ListView_GetItemText(list, i, 1, text, 256);
        texts.emplace_back(text);
    }
    return texts;
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (::OpenClipboard(owner)) {
        if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
                text = p;
                ::GlobalUnlock(data);
            }
        }
        ::CloseClipboard();
    }
    return text;
}

TEST(DlgDocProp, FollowsTheViewCopiesAndKeepsItsPlacement) {
    CTempFolder folder;
    data::CDataLayout layout;
    layout.SetFolder(folder.Path());
    FakeView view;
    tools::CPropSourceOf<FakeView> source(view);
    COwnerWindow owner;
    tools::CDlgDocProp dialog(layout, source);
    const HWND hwnd = dialog.CreateTool(owner.hwnd);
    ASSERT_NE(hwnd, nullptr);
    const HWND list = ::GetDlgItem(hwnd, IDC_PROP_LIST);
    const HWND box = ::GetDlgItem(hwnd, IDC_PROP_CATEGORY);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_EQ(::GetWindow(hwnd, GW_OWNER), owner.hwnd);
    EXPECT_FALSE(::IsWindowEnabled(box));
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(::SendMessageW(box, CB_GETCOUNT, 0, 0), 3);

    // The system menu keeps Move, Size and Close only.
    const HMENU system = ::GetSystemMenu(hwnd, FALSE);
    EXPECT_EQ(::GetMenuState(system, SC_RESTORE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(::GetMenuState(system, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(::GetMenuState(system, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    // An opened document (posted by the view) fills the list; a topic event refreshes the page shown.
    view.shown = true;
    view.doc.title = L"Guide";
    view.doc.filePath = L"C:\\g.chm";
    view.topic.title = L"Intro";
    ASSERT_TRUE(view.Notify(FakeView::kEventOpened));
    EXPECT_TRUE(::IsWindowEnabled(box));
    EXPECT_EQ(Contents(list), (std::vector<std::wstring>{L"Guide", L"g.chm", L"C:\\g.chm"}));
    // Asking for the topic's properties shows the window on the topic page.
    ASSERT_TRUE(view.Notify(FakeView::kEventTopicProperties));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(dialog.CurrentCategory(), tools::PropCategory::Topic);
    EXPECT_EQ(Contents(list), (std::vector<std::wstring>{L"Intro"}));
    view.topic.charset = L"utf-8";
    ASSERT_TRUE(view.Notify(FakeView::kEventTopic));
    EXPECT_EQ(Contents(list), (std::vector<std::wstring>{L"Intro", L"utf-8"}));

    // Select all, then copy the contents only.
    ::SendMessageW(hwnd, WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
    ::SendMessageW(hwnd, WM_COMMAND, ID_ITEM_ACTION, 0);
    EXPECT_EQ(ClipboardText(hwnd), L"Intro\r\nutf-8\r\n");
    ::SendMessageW(hwnd, WM_COMMAND, ID_EDIT_COPY, 0);
    EXPECT_EQ(ClipboardText(hwnd), L"タイトル\tIntro\r\n文字セット\tutf-8\r\n");

    // The record is relative to the owner's restored rectangle and brings the category back.
    RECT ownerRect{};
    ::GetWindowRect(owner.hwnd, &ownerRect);
    ASSERT_TRUE(::SetWindowPos(hwnd, nullptr, ownerRect.left + 30, ownerRect.top + 40, 420, 330,
                               SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(layout.Notify(data::CDataLayout::kStorePlacement));
    data::CDataWindow record;
    ASSERT_TRUE(layout.Get(L"docprop", record));
    EXPECT_EQ(record.show, data::WindowShow::Normal);
    EXPECT_EQ(record.x, 30);
    EXPECT_EQ(record.y, 40);
    EXPECT_EQ(record.cx, 420);
    EXPECT_EQ(record.cy, 330);
    EXPECT_TRUE(record.hasSelection);
    EXPECT_EQ(record.select, 2);

    // Reset: hidden, back to the template's size, centred on the owner.
    ASSERT_TRUE(dialog.ResetPlacement());
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_LE(CentreDistance(hwnd, owner.hwnd), 2);

    // Applying the record puts it back, shown; a moving owner carries it along.
    record.select = 1;
    ASSERT_TRUE(layout.Set(record));
    ASSERT_TRUE(layout.Notify(data::CDataLayout::kApplyPlacement));
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.left - ownerRect.left, 30);
    EXPECT_EQ(rc.right - rc.left, 420);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(dialog.CurrentCategory(), tools::PropCategory::File);
    ASSERT_TRUE(dialog.MoveBy(-50, 7));
    RECT moved{};
    ::GetWindowRect(hwnd, &moved);
    EXPECT_EQ(moved.left, rc.left - 50);
    EXPECT_EQ(moved.top, rc.top + 7);

    // Closing the document (sent by the view) empties and disables; the close box only hides.
    view.shown = false;
    ASSERT_TRUE(view.Notify(FakeView::kEventClosed));
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_FALSE(::IsWindowEnabled(box));
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
}

} // namespace
